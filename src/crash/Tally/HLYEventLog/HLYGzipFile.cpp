#include "crash/Tally/HLYEventLog/HLYGzipFile.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <zlib.h>

namespace qlkit {
namespace {

constexpr std::size_t kChunk = 5120;

} // namespace

int HLYGzipFile(std::FILE* source, std::FILE* destination, std::uint64_t maximumLength)
{
    z_stream stream {};
    // Window bits 15 + 16 ask for the gzip wrapper; memory level 4 keeps the
    // compressor small, as it runs beside the application.
    if (deflateInit2_(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 4, Z_DEFAULT_STRATEGY, "1.2.5",
                      int(sizeof stream))
        != Z_OK)
        return -1;

    unsigned char input[kChunk];
    unsigned char output[kChunk];
    int status = Z_OK;
    bool failed = false;
    int flush = Z_NO_FLUSH;
    std::uint64_t left = maximumLength;
    while (!failed && flush != Z_FINISH) {
        const std::size_t wanted = std::size_t(std::min<std::uint64_t>(kChunk, left));
        stream.avail_in = uInt(wanted ? std::fread(input, 1, wanted, source) : 0);
        left -= stream.avail_in;
        if (std::ferror(source)) {
            failed = true;
            break;
        }
        flush = left == 0 || std::feof(source) ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = input;
        do {
            stream.avail_out = uInt(kChunk);
            stream.next_out = output;
            status = deflate(&stream, flush);
            if (status == Z_STREAM_ERROR) {
                failed = true;
                break;
            }
            const std::size_t produced = kChunk - stream.avail_out;
            if (std::fwrite(output, 1, produced, destination) != produced || std::ferror(destination)) {
                failed = true;
                break;
            }
        } while (stream.avail_out == 0);
        if (stream.avail_in != 0)
            failed = true;
    }
    deflateEnd(&stream);
    return !failed && status == Z_STREAM_END ? 0 : -1;
}

std::optional<std::uint64_t> HLYGzipExpandedLength(int fd, std::uint64_t length, std::uint64_t limit)
{
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return std::nullopt;
    unsigned char input[65536];
    unsigned char output[65536];
    std::uint64_t expanded = 0;
    std::uint64_t offset = 0;
    bool memberEnded = false;
    bool damaged = false;
    while (!damaged && offset < length) {
        const ssize_t got = ::pread(fd, input, std::size_t(std::min<std::uint64_t>(sizeof input, length - offset)),
                                    off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        offset += std::uint64_t(got);
        stream.next_in = input;
        stream.avail_in = uInt(got);
        do {
            if (memberEnded) {
                while (stream.avail_in > 0 && *stream.next_in == 0) {
                    ++stream.next_in;
                    --stream.avail_in;
                }
                if (stream.avail_in == 0)
                    break;
                inflateReset(&stream);
                memberEnded = false;
            }
            stream.next_out = output;
            stream.avail_out = uInt(sizeof output);
            const int status = inflate(&stream, Z_NO_FLUSH);
            expanded += sizeof output - stream.avail_out;
            if (expanded > limit) {
                inflateEnd(&stream);
                return std::nullopt;
            }
            if (status == Z_STREAM_END)
                memberEnded = true;
            else if (status != Z_OK) {
                damaged = status != Z_BUF_ERROR;
                break;
            }
        } while (stream.avail_in > 0 || stream.avail_out == 0);
    }
    inflateEnd(&stream);
    return expanded;
}

} // namespace qlkit
