#include "crash/capture/HLYSDKLog.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace qlkit {
namespace {

// A whole line is assembled here and written with one call: writing it byte
// by byte would cost a system call per character at crash time.
class LineBuffer {
public:
    explicit LineBuffer(int descriptor) : m_descriptor(descriptor) {}
    ~LineBuffer() { flush(); }

    void put(char c)
    {
        if (m_fill == sizeof m_bytes)
            flush();
        m_bytes[m_fill++] = c;
    }
    void put(const char* text)
    {
        while (*text)
            put(*text++);
    }
    void flush()
    {
        std::size_t done = 0;
        while (done < m_fill) {
            const ssize_t written = ::write(m_descriptor, m_bytes + done, m_fill - done);
            if (written <= 0)
                break;
            done += std::size_t(written);
        }
        m_fill = 0;
    }

private:
    int m_descriptor;
    std::size_t m_fill = 0;
    char m_bytes[512];
};

int sdkLogDescriptor()
{
    HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!context || !writable || !context->sdkLogPath)
        return -1;
    int descriptor = writable->sdkLogDescriptor.load();
    if (descriptor != -1)
        return descriptor;
    const int opened = ::open(context->sdkLogPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (opened < 0)
        return -1;
    // Two threads may open it at once: the first to store wins.
    int expected = -1;
    if (!writable->sdkLogDescriptor.compare_exchange_strong(expected, opened)) {
        ::close(opened);
        return expected;
    }
    return opened;
}

} // namespace

void HLYSDKLogWriteFormatted(int descriptor, const char* format, va_list arguments)
{
    if (descriptor < 0 || !format)
        return;
    LineBuffer line(descriptor);
    char digits[21];
    for (const char* cursor = format; *cursor; ++cursor) {
        if (*cursor != '%' || cursor[1] == '\0') {
            line.put(*cursor);
            continue;
        }
        const char conversion = *++cursor;
        switch (conversion) {
        case 'p':
            line.put("0x");
            line.put(HLYFileFormatUInt64(std::uint64_t(std::uintptr_t(va_arg(arguments, void*))), true, digits));
            break;
        case 's': {
            const char* text = va_arg(arguments, const char*);
            line.put(text ? text : "(null)");
            break;
        }
        case 'u':
            line.put(HLYFileFormatUInt64(va_arg(arguments, unsigned), false, digits));
            break;
        case 'x':
            line.put(HLYFileFormatUInt64(va_arg(arguments, unsigned), true, digits));
            break;
        case 'd': {
            const int value = va_arg(arguments, int);
            if (value < 0)
                line.put('-');
            line.put(HLYFileFormatUInt64(value < 0 ? 0 - std::uint64_t(std::int64_t(value)) : std::uint64_t(value),
                                         false, digits));
            break;
        }
        default: // written as it stands; takes no argument
            line.put('%');
            line.put(conversion);
            break;
        }
    }
}

void HLYSDKLog(const char* format, ...)
{
    const int descriptor = sdkLogDescriptor();
    if (descriptor < 0)
        return;
    va_list arguments;
    va_start(arguments, format);
    HLYSDKLogWriteFormatted(descriptor, format, arguments);
    va_end(arguments);
}

} // namespace qlkit
