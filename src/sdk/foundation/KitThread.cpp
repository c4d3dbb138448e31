#include "sdk/foundation/KitThread.h"

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace qlkit {
namespace {

// A plain array in zeroed static storage: readable at crash time without a
// constructor having run and without a lock. An entry whose length is 0 while
// its text is rewritten reads as "no label".
struct LabelEntry {
    std::atomic<pid_t> tid;
    std::atomic<std::size_t> length;
    char text[kitthread::kLabelCapacity];
};

LabelEntry g_entries[kitthread::kMaxThreads];
thread_local LabelEntry* t_entry = nullptr;

LabelEntry* claimEntry(pid_t tid)
{
    for (auto& entry : g_entries) {
        pid_t expected = 0;
        if (entry.tid.compare_exchange_strong(expected, tid)) {
            entry.length.store(0, std::memory_order_release);
            return &entry;
        }
    }
    return nullptr; // more kit threads than entries: the rest go unlabelled
}

} // namespace

KitThreadScope::KitThreadScope() { t_entry = claimEntry(gettid()); }

KitThreadScope::~KitThreadScope()
{
    if (t_entry) {
        t_entry->length.store(0, std::memory_order_release);
        t_entry->tid.store(0, std::memory_order_release);
        t_entry = nullptr;
    }
}

namespace kitthread {

void setCurrentLabel(const char* label)
{
    LabelEntry* entry = t_entry;
    if (!entry)
        return;
    entry->length.store(0, std::memory_order_release);
    if (!label)
        return;
    const std::size_t length = strnlen(label, kLabelCapacity - 1);
    std::memcpy(entry->text, label, length);
    entry->length.store(length, std::memory_order_release);
}

bool copyLabel(pid_t tid, char* out, std::size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    for (const auto& entry : g_entries) {
        if (entry.tid.load(std::memory_order_acquire) != tid)
            continue;
        std::size_t length = entry.length.load(std::memory_order_acquire);
        if (length > size - 1)
            length = size - 1;
        for (std::size_t i = 0; i < length; ++i)
            out[i] = entry.text[i];
        out[length] = '\0';
        return true;
    }
    return false;
}

} // namespace kitthread
} // namespace qlkit
