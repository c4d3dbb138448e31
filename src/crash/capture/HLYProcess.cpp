#include "crash/capture/HLYProcess.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYSafeMemory.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYThreadList.h"
#include "crash/capture/HLYUnwind.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/foundation/KitThread.h"

#include <cstddef>
#include <cstring>
#include <dlfcn.h>
#include <sys/resource.h>
#include <ucontext.h>
#include <unistd.h>

namespace qlkit {
namespace {

// "/proc/self/task/<tid>/<leaf>" into buffer.
void taskPath(pid_t tid, const char* leaf, char* buffer, std::size_t size)
{
    char digits[21];
    const char* number = HLYFileFormatUInt64(std::uint64_t(tid), false, digits);
    std::size_t fill = 0;
    for (const char* part : {"/proc/self/task/", number, "/", leaf})
        for (; *part && fill + 1 < size; ++part)
            buffer[fill++] = *part;
    buffer[fill] = '\0';
}

// Skips blanks, then reads a decimal number; false when there is none.
bool parseNumber(const char*& cursor, std::uint64_t* value)
{
    while (*cursor == ' ' || *cursor == '\t')
        ++cursor;
    if (*cursor < '0' || *cursor > '9')
        return false;
    std::uint64_t number = 0;
    for (; *cursor >= '0' && *cursor <= '9'; ++cursor)
        number = number * 10 + std::uint64_t(*cursor - '0');
    *value = number;
    return true;
}

// The number after "key:" at the start of a line of a /proc table.
bool tableValue(const char* text, const char* key, std::uint64_t* value)
{
    const std::size_t keyLength = std::strlen(key);
    for (const char* line = text; line && *line;) {
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
            const char* cursor = line + keyLength + 1;
            return parseNumber(cursor, value);
        }
        line = std::strchr(line, '\n');
        if (line)
            ++line;
    }
    return false;
}

bool readNumbers(const char* text, std::uint64_t* values, int count)
{
    const char* cursor = text;
    for (int i = 0; i < count; ++i)
        if (!parseNumber(cursor, &values[i]))
            return false;
    return true;
}

// glibc's record of the last fatal message: a pointer to this block, set by a
// failed assert and by the library's own fatal checks before they abort.
struct GlibcAbortMessage {
    std::uint32_t size; // of the whole block
    char text[1];       // zero-terminated
};

// The abort message's text into buffer; false when there is none.
bool readAbortMessage(char* buffer, std::size_t size)
{
    const HLYContext* context = HLYContextShared();
    std::uint64_t block = 0;
    if (!context || !context->abortMessageSlot
        || !HLYReadWord(std::uintptr_t(context->abortMessageSlot), &block) || block == 0)
        return false;
    return HLYReadString(std::uintptr_t(block) + offsetof(GlibcAbortMessage, text), buffer, size) && buffer[0];
}

void writeRegisters(HLYFile* file, const HLYThreadState& state)
{
    HLYFileWriteHashKey(file, "registers");
    HLYFileWriteHashStart(file);
    const struct {
        const char* name;
        std::uint64_t value;
    } registers[] = {{"rax", state.rax}, {"rbx", state.rbx}, {"rcx", state.rcx}, {"rdx", state.rdx},
                     {"rdi", state.rdi}, {"rsi", state.rsi}, {"rbp", state.rbp}, {"rsp", state.rsp},
                     {"r8", state.r8},   {"r9", state.r9},   {"r10", state.r10}, {"r11", state.r11},
                     {"r12", state.r12}, {"r13", state.r13}, {"r14", state.r14}, {"r15", state.r15},
                     {"rip", state.rip}, {"rflags", state.rflags}, {"cs", state.cs}, {"fs", state.fs},
                     {"gs", state.gs}};
    for (const auto& entry : registers)
        HLYFileWriteHashEntryUInt64(file, entry.name, entry.value);
    HLYFileWriteHashEnd(file);
}

} // namespace

bool HLYProcessInit(HLYProcess* process, pid_t crashedThread, const ucontext_t* context)
{
    HLYWritableContext* writable = HLYWritableContextShared();
    *process = HLYProcess {};
    process->pid = getpid();
    process->handlingThread = pid_t(gettid());
    process->crashedThread = crashedThread;
    process->context = context;
    process->threads = writable ? &writable->threads : nullptr;
    if (process->threads)
        process->threadCount = HLYThreadListEnumerate(process->threads);
    if (process->threadCount == 0) {
        HLYSDKLog("%s: Error: unable to get task threads\n", "HLYProcessInit");
        return false;
    }
    return true;
}

void HLYProcessSuspendAllOtherThreads(HLYProcess* process)
{
    if (process->threads && process->threadCount)
        HLYThreadListSuspendOthers(process->threads, process->handlingThread, kHLYThreadStopTimeoutNanoseconds);
}

void HLYProcessResumeAllOtherThreads(HLYProcess* process)
{
    if (process->threads && process->threadCount)
        HLYThreadListResumeOthers(process->threads);
}

void HLYProcessRecordAllThreads(HLYProcess* process, HLYFile* file)
{
    // The recording thread's own registers, taken in this frame, which stays
    // alive while its stack is walked.
    ucontext_t own;
    const bool haveOwn = getcontext(&own) == 0;

    HLYFileWriteSectionStart(file, "threads");
    HLYFileWriteArrayStart(file);
    for (std::uint32_t index = 0; index < process->threadCount; ++index) {
        HLYSDKLog("%s: recording thread %d data\n", "HLYProcessRecordAllThreads", int(index));
        const HLYThreadSlot& slot = process->threads->slots[index];
        const pid_t tid = slot.tid.load();
        HLYThreadState state {};
        bool known = false;
        bool pcIsExact = true;
        if (tid == process->crashedThread && process->context) {
            state = HLYThreadStateFromRegisters(process->context->uc_mcontext.gregs);
            known = true;
        } else if (tid != process->handlingThread) {
            known = slot.state.load() == HLYThreadSlotStopped;
            if (known)
                state = HLYThreadStateFromRegisters(slot.registers);
            else
                HLYSDKLog("%s: failed to get thread state\n", "HLYProcessGetThreadState");
        } else if (haveOwn) {
            state = HLYThreadStateFromRegisters(own.uc_mcontext.gregs);
            pcIsExact = false; // a return address into this function
            known = true;
        }
        HLYFileWriteHashStart(file);
        if (known) {
            writeRegisters(file, state);
        } else {
            HLYFileWriteHashKey(file, "registers");
            HLYFileWriteHashStart(file);
            HLYFileWriteHashEnd(file);
        }
        HLYFileWriteHashKey(file, "stacktrace");
        HLYFileWriteArrayStart(file);
        if (known) {
            HLYUnwindContext unwind;
            HLYUnwindInit(&unwind, &state, pcIsExact);
            while (HLYUnwindNextFrame(&unwind))
                HLYFileWriteArrayEntryUInt64(file, HLYUnwindGetPC(&unwind));
        }
        HLYFileWriteArrayEnd(file);
        if (tid == process->crashedThread)
            HLYFileWriteHashEntryBoolean(file, "crashed", true);
        HLYFileWriteHashEnd(file);
    }
    HLYFileWriteArrayEnd(file);
    HLYFileWriteSectionEnd(file);
    HLYSDKLog("%s: completed recording all thread data\n", "HLYProcessRecordAllThreads");
}

const void* HLYProcessFindAbortMessageSlot() { return dlsym(RTLD_DEFAULT, "__abort_msg"); }

void HLYProcessRecordRuntime(HLYProcess*, HLYFile* file)
{
    // No message-sending runtime; the one crash annotation is the C
    // library's abort message.
    HLYFileWriteSectionStart(file, "runtime");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryString(file, "objc_selector", "");
    HLYFileWriteHashKey(file, "crash_info_entries");
    HLYFileWriteArrayStart(file);
    char message[2048];
    if (readAbortMessage(message, sizeof message))
        HLYFileWriteArrayEntryHexEncodedString(file, message);
    HLYFileWriteArrayEnd(file);
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYProcessRecordDispatchQueueNames(HLYProcess* process, HLYFile* file)
{
    HLYFileWriteSectionStart(file, "dispatch_queue_names");
    HLYFileWriteArrayStart(file);
    for (std::uint32_t index = 0; index < process->threadCount; ++index) {
        char label[kitthread::kLabelCapacity];
        if (!kitthread::copyLabel(process->threads->slots[index].tid.load(), label, sizeof label))
            label[0] = '\0'; // not a thread of the kit's: it runs no queue
        HLYFileWriteArrayEntryString(file, label);
    }
    HLYFileWriteArrayEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYProcessRecordThreadNames(HLYProcess* process, HLYFile* file)
{
    HLYFileWriteSectionStart(file, "thread_names");
    HLYFileWriteArrayStart(file);
    for (std::uint32_t index = 0; index < process->threadCount; ++index) {
        char path[64];
        char name[64];
        taskPath(process->threads->slots[index].tid.load(), "comm", path, sizeof path);
        const long length = HLYReadFileIntoBuffer(path, name, sizeof name);
        if (length <= 0)
            name[0] = '\0';
        else if (name[length - 1] == '\n')
            name[length - 1] = '\0';
        HLYFileWriteArrayEntryString(file, name);
    }
    HLYFileWriteArrayEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYProcessRecordStats(HLYProcess*, HLYFile* file)
{
    char meminfo[4096];
    char statm[256];
    std::uint64_t active = 0, inactive = 0, unevictable = 0, free = 0;
    std::uint64_t pages[2] = {0, 0};
    const bool memory = HLYReadFileIntoBuffer("/proc/meminfo", meminfo, sizeof meminfo) > 0
                        && tableValue(meminfo, "Active", &active) && tableValue(meminfo, "Inactive", &inactive)
                        && tableValue(meminfo, "MemFree", &free);
    if (memory)
        tableValue(meminfo, "Unevictable", &unevictable); // pinned memory stands for wired
    else
        HLYSDKLog("%s: Unable to get process memory usage\n", "HLYProcessRecordStats");
    const bool task = HLYReadFileIntoBuffer("/proc/self/statm", statm, sizeof statm) > 0 && readNumbers(statm, pages, 2);
    rusage usage {};
    const bool times = getrusage(RUSAGE_SELF, &usage) == 0;
    if (!task || !times)
        HLYSDKLog("%s: Unable to get process stats\n", "HLYProcessRecordStats");

    HLYFileWriteSectionStart(file, "process_stats");
    HLYFileWriteHashStart(file);
    if (memory && task && times) {
        const HLYContext* context = HLYContextShared();
        const std::uint64_t page = context && context->pageSize ? context->pageSize : 4096;
        auto microseconds = [](const timeval& time) {
            return std::uint64_t(time.tv_sec) * 1000000ull + std::uint64_t(time.tv_usec);
        };
        HLYFileWriteHashEntryUInt64(file, "active", active * 1024);
        HLYFileWriteHashEntryUInt64(file, "inactive", inactive * 1024);
        HLYFileWriteHashEntryUInt64(file, "wired", unevictable * 1024);
        HLYFileWriteHashEntryUInt64(file, "freeMem", free * 1024);
        HLYFileWriteHashEntryUInt64(file, "free_mem", free * 1024);
        HLYFileWriteHashEntryUInt64(file, "virtual", pages[0] * page);
        HLYFileWriteHashEntryUInt64(file, "resident", pages[1] * page);
        HLYFileWriteHashEntryUInt64(file, "user_time", microseconds(usage.ru_utime));
        HLYFileWriteHashEntryUInt64(file, "sys_time", microseconds(usage.ru_stime));
    }
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

void HLYProcessDestroy(HLYProcess*) {}

bool HLYProcessDebuggerAttached()
{
    char status[4096];
    std::uint64_t tracer = 0;
    if (HLYReadFileIntoBuffer("/proc/self/status", status, sizeof status) <= 0 || !tableValue(status, "TracerPid", &tracer)) {
        HLYSDKLog("%s: sysctl failed while trying to get kinfo_proc\n", "HLYProcessDebuggerAttached");
        return false;
    }
    return tracer != 0;
}

} // namespace qlkit
