#include "support/GreyPicture.h"

#include <QtEndian>
#include <algorithm>
#include <zlib.h>

namespace ql::testing {

namespace {

// A PNG chunk: length, type, body and the check of type and body.
QByteArray chunk(const char* type, const QByteArray& body)
{
    const QByteArray typed = QByteArray(type, 4) + body;
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), length.data());
    QByteArray check(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))),
                          check.data());
    return length + typed + check;
}

} // namespace

QByteArray splitGreyPng(QSize size, int split)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(size.width()), header.data());
    qToBigEndian<quint32>(quint32(size.height()), header.data() + 4);
    header[8] = 8; // bits per sample; colour type 0, grey
    // Each row: filter "none", then its samples.
    QByteArray row(1 + size.width(), char(0xFF));
    row[0] = 0;
    std::fill(row.begin() + 1, row.begin() + 1 + std::clamp(split, 0, size.width()), char(0));
    z_stream stream {};
    deflateInit(&stream, 1);
    QByteArray data;
    QByteArray buffer(1 << 16, '\0');
    for (int y = 0; y <= size.height(); ++y) {
        const bool last = y == size.height();
        stream.next_in = reinterpret_cast<Bytef*>(last ? nullptr : row.data());
        stream.avail_in = last ? 0 : uInt(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            data.append(buffer.constData(), buffer.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", {});
}

} // namespace ql::testing
