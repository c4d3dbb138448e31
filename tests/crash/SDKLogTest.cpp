// The capture core's own log formatter.
#include "crash/capture/HLYSDKLog.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace qlkit;

namespace {

std::string format(const char* text, ...)
{
    int pipes[2];
    if (pipe(pipes) != 0)
        return {};
    va_list arguments;
    va_start(arguments, text);
    HLYSDKLogWriteFormatted(pipes[1], text, arguments);
    va_end(arguments);
    close(pipes[1]);
    std::string out;
    char buffer[256];
    ssize_t got;
    while ((got = read(pipes[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, std::size_t(got));
    close(pipes[0]);
    return out;
}

} // namespace

TEST(SDKLog, FormatsItsConversionsAndWritesOthersAsTheyStand)
{
    EXPECT_EQ(format("%s: Mapping: %p %p %p, total: %zu K\n", "HLYAllocatorCreate", reinterpret_cast<void*>(0x10),
                     reinterpret_cast<void*>(0x7f00abcd), nullptr),
              "HLYAllocatorCreate: Mapping: 0x10 0x7f00abcd 0x0, total: %zu K\n");
    EXPECT_EQ(format("%s|%d|%u|%x|%d\n", nullptr, -42, 4294967295u, 255u, 0), "(null)|-42|4294967295|ff|0\n");
    EXPECT_EQ(format("100%% %llu %c end%"), "100%% %llu %c end%");
    const std::string longText(2000, 'a');
    EXPECT_EQ(format("%s!\n", longText.c_str()), longText + "!\n");
}
