// Signal capture: the seven fatal signals are caught on an alternate stack,
// the `signal` record and the crash sections written, the previous handlers
// put back, and the signal delivered again, so that the process ends as it
// would have without the crash reporter.
#pragma once

#include <csignal>
#include <cstddef>
#include <functional>

namespace qlkit {

struct HLYSignalContext;

// In table order: SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGSYS, SIGTRAP.
extern const int kHLYHandledSignals[7];

// Installs the handlers (process-wide) and the thread-stop handler.
bool HLYSignalInitialize(HLYSignalContext* context);
// Gives the calling thread the alternate stack, keeping its previous one.
bool HLYSignalInstallAltStack(HLYSignalContext* context, void* stack, std::size_t size);
void HLYSignalHandler(int signal, siginfo_t* info, void* userContext);
// Default actions for the handled signals (`all` false leaves SIGABRT).
bool HLYSignalSafeRemoveHandlers(bool all);
bool HLYSignalSafeInstallPreexistingHandlers(const HLYSignalContext* context);
// Puts back what HLYSignalInitialize and HLYSignalInstallAltStack replaced:
// the handlers, the thread-stop action and, on the thread that had it set
// up, the alternate stack as it was.
bool HLYSignalDeinit(const HLYSignalContext* context);
void HLYSignalEnumerateHandledSignals(const std::function<void(std::size_t index, int signal)>& block);
void HLYSignalCheckHandlers();
void HLYSignalCheckHandler(int signal);
// "SIGSEGV" and friends ("UNKNOWN" otherwise); code name "ABORT" for SIGABRT.
void HLYSignalNameLookup(int signal, const char** name, const char** codeName);

} // namespace qlkit
