// What the crash reporter needs to know about the kit's own threads: each has
// an alternate signal stack, so that an overflow of its stack still leaves a
// report, and an entry in a fixed table naming the queue whose work it runs,
// which the crash reporter reads without locks while the process is stopped.
#pragma once

#include "sdk/foundation/AlternateSignalStack.h"

#include <cstddef>
#include <sys/types.h>

namespace qlkit {

// Prepares the calling thread for the whole of the object's life; one per
// thread the kit starts, made first thing on that thread.
class KitThreadScope {
public:
    KitThreadScope();
    ~KitThreadScope();
    KitThreadScope(const KitThreadScope&) = delete;
    KitThreadScope& operator=(const KitThreadScope&) = delete;

    static constexpr std::size_t kAlternateStackSize = AlternateSignalStack::kSize;

private:
    const AlternateSignalStack m_signalStack;
};

namespace kitthread {

inline constexpr std::size_t kMaxThreads = 512;
inline constexpr std::size_t kLabelCapacity = 64;

// The label of the queue whose work the calling thread runs now; null or ""
// when it runs none. Does nothing on threads the kit did not start.
void setCurrentLabel(const char* label);

// Copies the label of thread `tid` into out (always terminated); false when
// `tid` is not a thread of the kit's. Safe in a signal handler.
bool copyLabel(pid_t tid, char* out, std::size_t size);

} // namespace kitthread
} // namespace qlkit
