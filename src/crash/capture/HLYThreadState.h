// A thread's x86-64 registers as the records and the unwinder use them.
#pragma once

#include <cstdint>
#include <sys/ucontext.h>

namespace qlkit {

struct HLYThreadState {
    std::uint64_t rax, rbx, rcx, rdx, rdi, rsi, rbp, rsp;
    std::uint64_t r8, r9, r10, r11, r12, r13, r14, r15;
    std::uint64_t rip, rflags, cs, fs, gs;
};

// From the registers a signal handler or getcontext(3) saw.
HLYThreadState HLYThreadStateFromRegisters(const greg_t* registers);

} // namespace qlkit
