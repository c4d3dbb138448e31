// Every thread the program starts gets an alternate signal stack, so that a
// stack overflow on it is recorded like any other crash: also the threads
// that libraries start (the toolkit's, the standard library's). The kit
// defines pthread_create in the executable, to which the loader binds every
// library's calls, and hands each call on to the C library with a start
// routine that first installs the stack.
#pragma once

namespace qlkit {

// Whether the loader's pthread_create is the kit's: false where the kit is
// linked so that it cannot stand in (inside a shared library).
bool HLYThreadSignalStacksActive();

} // namespace qlkit
