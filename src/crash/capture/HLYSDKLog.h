// The capture core's own log, sdk.log in the run's report folder. Safe in a
// signal handler: a format subset of its own (%s, %p, %u, %x, %d; any other
// pair is written as it stands and takes no argument), no heap, no lock.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace qlkit {

void HLYSDKLog(const char* format, ...);

// The formatter behind it, writing to any descriptor: each line is built in
// a buffer on the stack and written with one write(2).
void HLYSDKLogWriteFormatted(int descriptor, const char* format, va_list arguments);

} // namespace qlkit
