#include "sdk/foundation/Log.h"

#include <atomic>
#include <cstdio>

namespace qlkit::log {
namespace {

std::atomic<bool> g_debug {false};

} // namespace

void setDebug(bool on) { g_debug = on; }

bool debug() { return g_debug; }

void always(const std::string& line)
{
    // One fwrite per line keeps lines from different threads whole.
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void debugOnly(const std::string& line)
{
    if (g_debug)
        always(line);
}

} // namespace qlkit::log
