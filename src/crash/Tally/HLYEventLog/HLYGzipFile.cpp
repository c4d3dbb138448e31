#include "crash/Tally/HLYEventLog/HLYGzipFile.h"

#include <zlib.h>

namespace qlkit {
namespace {

constexpr std::size_t kChunk = 5120;

} // namespace

int HLYGzipFile(std::FILE* source, std::FILE* destination)
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
    while (!failed && flush != Z_FINISH) {
        stream.avail_in = uInt(std::fread(input, 1, kChunk, source));
        if (std::ferror(source)) {
            failed = true;
            break;
        }
        flush = std::feof(source) ? Z_FINISH : Z_NO_FLUSH;
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

} // namespace qlkit
