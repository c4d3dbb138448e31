#include "crash/capture/HLYThreadState.h"

namespace qlkit {

HLYThreadState HLYThreadStateFromRegisters(const greg_t* r)
{
    HLYThreadState state {};
    state.rax = std::uint64_t(r[REG_RAX]);
    state.rbx = std::uint64_t(r[REG_RBX]);
    state.rcx = std::uint64_t(r[REG_RCX]);
    state.rdx = std::uint64_t(r[REG_RDX]);
    state.rdi = std::uint64_t(r[REG_RDI]);
    state.rsi = std::uint64_t(r[REG_RSI]);
    state.rbp = std::uint64_t(r[REG_RBP]);
    state.rsp = std::uint64_t(r[REG_RSP]);
    state.r8 = std::uint64_t(r[REG_R8]);
    state.r9 = std::uint64_t(r[REG_R9]);
    state.r10 = std::uint64_t(r[REG_R10]);
    state.r11 = std::uint64_t(r[REG_R11]);
    state.r12 = std::uint64_t(r[REG_R12]);
    state.r13 = std::uint64_t(r[REG_R13]);
    state.r14 = std::uint64_t(r[REG_R14]);
    state.r15 = std::uint64_t(r[REG_R15]);
    state.rip = std::uint64_t(r[REG_RIP]);
    state.rflags = std::uint64_t(r[REG_EFL]);
    // cs, gs and fs share one register slot, 16 bits each.
    const auto segments = std::uint64_t(r[REG_CSGSFS]);
    state.cs = segments & 0xFFFF;
    state.gs = (segments >> 16) & 0xFFFF;
    state.fs = (segments >> 32) & 0xFFFF;
    return state;
}

} // namespace qlkit
