#include "codes/qr/QREncoder.h"

#include "codes/qr/CQR_Encode.h"

#include <QStringDecoder>
#include <cstring>
#include <memory>
#include <openssl/evp.h>

namespace ql {
namespace {

DataMatrix encodeSource(int level, int version, const char* source, int length, int mask)
{
    if (source == nullptr)
        return DataMatrix(0);
    // The encoder's work arrays are too large to live on the stack.
    auto encoder = std::make_unique<CQR_Encode>();
    if (!encoder->encodeData(level, version, true, mask, source, length))
        return DataMatrix(0);
    const int size = encoder->symbleSize();
    DataMatrix matrix(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            matrix.set(encoder->isDark(x, y) ? 1 : 0, x, y);
    }
    return matrix;
}

constexpr int kKeyLength = 32;
constexpr int kBlockLength = 16;

Result<QByteArray> keyFromPassphrase(const QString& passphrase)
{
    if (passphrase.size() > kKeyLength)
        return Error{QREncoder::invalidPassphraseDomain, 1,
                     QStringLiteral("passphrase too long: %1").arg(passphrase.size())};
    for (const QChar c : passphrase) {
        if (c.unicode() > 0x7F)
            return Error{QREncoder::invalidPassphraseDomain, 2, QStringLiteral("passphrase is not ASCII text")};
    }
    QByteArray key = passphrase.toLatin1();
    key.append(kKeyLength - key.size(), '\0');
    return key;
}

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

Result<QByteArray> aes256Cbc(bool encrypt, const QByteArray& input, const QByteArray& key)
{
    const std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
    const unsigned char iv[kBlockLength] = {};
    QByteArray output(input.size() + kBlockLength, Qt::Uninitialized);
    int written = 0;
    int finalWritten = 0;
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    auto* out = reinterpret_cast<unsigned char*>(output.data());
    const bool ok = context
        && EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, keyBytes, iv, encrypt ? 1 : 0) == 1
        && EVP_CipherUpdate(context.get(), out, &written, reinterpret_cast<const unsigned char*>(input.constData()),
                            static_cast<int>(input.size())) == 1
        && EVP_CipherFinal_ex(context.get(), out + written, &finalWritten) == 1;
    if (!ok)
        return Error{QREncoder::errorDomain, 3,
                     encrypt ? QStringLiteral("encryption failed") : QStringLiteral("decryption failed")};
    output.truncate(written + finalWritten);
    return output;
}

} // namespace

DataMatrix QREncoder::encodeWithECLevel(int level, int version, const QString& string, int mask)
{
    const QByteArray utf8 = string.toUtf8();
    return encodeCStringWithECLevel(level, version, utf8.constData(), mask);
}

DataMatrix QREncoder::encodeCStringWithECLevel(int level, int version, const char* cstring, int mask)
{
    return encodeSource(level, version, cstring, 0, mask);
}

DataMatrix QREncoder::encodeBytesWithECLevel(int level, int version, const QByteArray& bytes, int mask)
{
    if (bytes.isEmpty() || bytes.size() > CQR_Encode::kMaxSourceLength)
        return DataMatrix(0);
    return encodeSource(level, version, bytes.constData(), static_cast<int>(bytes.size()), mask);
}

Result<DataMatrix> QREncoder::encodeWithECLevel(int level, int version, const QString& string,
                                                const QString& passphrase)
{
    Result<QByteArray> encrypted = aesEncryptString(string, passphrase);
    if (!encrypted)
        return encrypted.error();
    // The ciphertext may hold zero bytes: it is passed whole, with its length.
    return encodeBytesWithECLevel(level, version, *encrypted);
}

Result<QByteArray> QREncoder::aesEncryptString(const QString& string, const QString& passphrase)
{
    const Result<QByteArray> key = keyFromPassphrase(passphrase);
    if (!key)
        return key.error();
    return aes256Cbc(true, string.toUtf8(), *key);
}

Result<QString> QREncoder::aesDecryptString(const QByteArray& data, const QString& passphrase)
{
    const Result<QByteArray> key = keyFromPassphrase(passphrase);
    if (!key)
        return key.error();
    const Result<QByteArray> plain = aes256Cbc(false, data, *key);
    if (!plain)
        return plain.error();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*plain);
    if (decoder.hasError())
        return Error{errorDomain, 4, QStringLiteral("decrypted data is not UTF-8 text")};
    return text;
}

QImage QREncoder::renderDataMatrix(const DataMatrix& matrix, int dimension)
{
    const qint64 n = matrix.dimension();
    const qint64 d = dimension;
    // The pixel buffer's byte count, 4 x d x d, must stay below 2^31.
    if (n < 1 || d < n || d * d >= (qint64(1) << 29))
        return {};
    QImage image(dimension, dimension, QImage::Format_RGBA8888);
    if (image.isNull())
        return {};
    const auto s = d / n;
    const auto margin = (d - s * n) / 2;
    const uchar clearWhite[4] = {255, 255, 255, 0};
    const uchar darkModule[4] = {0, 0, 0, 255};
    const uchar lightModule[4] = {255, 255, 255, 255};

    // Margins are transparent white; then each module row is built once and
    // copied to the s pixel rows it covers.
    for (int y = 0; y < dimension; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < dimension; ++x)
            std::memcpy(line + 4 * x, clearWhite, 4);
    }
    for (qint64 my = 0; my < n; ++my) {
        const int firstRow = static_cast<int>(margin + my * s);
        uchar* line = image.scanLine(firstRow);
        for (qint64 mx = 0; mx < n; ++mx) {
            const uchar* colour = matrix.valueAt(mx, my) != 0 ? darkModule : lightModule;
            uchar* pixel = line + 4 * (margin + mx * s);
            for (qint64 k = 0; k < s; ++k)
                std::memcpy(pixel + 4 * k, colour, 4);
        }
        for (qint64 k = 1; k < s; ++k)
            std::memcpy(image.scanLine(firstRow + static_cast<int>(k)), line, static_cast<size_t>(4 * d));
    }
    return image;
}

} // namespace ql
