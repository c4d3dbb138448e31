// The capture core's process-wide state, prepared once before any crash can
// happen: the context (paths, limits, saved handlers; read-only once set-up
// ends) and the writable context (descriptors, counters, the image table, the
// thread slots, the crash flag), both inside the guarded mapping of
// HLYAllocator. Crash paths only read these records and write record files.
#pragma once

#include "crash/capture/HLYBinaryImageNode.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYThreadList.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <exception>
#include <memory>

namespace qlkit {

class SerialQueue;

// Told after a fatal exception has been recorded.
class HLYSubmittableCrashObserver {
public:
    virtual ~HLYSubmittableCrashObserver() = default;
    virtual void potentiallySubmittableCrashOccurred() = 0;
};

// Called on the crashed thread at the end of every crash path, while the
// process is still stopped for the crash.
class HLYCrashCallbackTarget {
public:
    virtual ~HLYCrashCallbackTarget() = default;
    virtual void deliverCrashDelegateCallback() = 0;
};

inline constexpr std::size_t kHLYHandledSignalCount = 7;
inline constexpr std::size_t kHLYSignalStackSize = 262144;

struct HLYSignalSavedAction {
    bool present; // the previous action had a handler
    struct sigaction action;
};

struct HLYSignalContext {
    const char* path;
    HLYSignalSavedAction saved[kHLYHandledSignalCount];
    bool hasSavedStack;
    stack_t savedStack;     // the starting thread's alternate stack before ours
    pid_t signalStackThread; // the thread that got the context's stack
    bool hasSavedSuspend;
    struct sigaction savedSuspend; // the thread-stop signal's action before ours
};

struct HLYExceptionContext {
    const char* path;
    const char* customPath;
    std::terminate_handler previousTerminateHandler;
    std::uint32_t maxCustomExceptions;
};

struct HLYUserLoggingKVStorage {
    const char* incrementalPath;
    const char* compactedPath;
    std::uint32_t compactionThreshold;
    std::uint32_t maxEntries;
};

struct HLYUserLoggingABStorage {
    const char* pathA;
    const char* pathB;
    std::uint32_t maxSize;
};

struct HLYContext {
    std::atomic<std::uint8_t> initialised;
    bool debuggerAttached;
    const char* sdkLogPath;
    void* signalStack;
    HLYSubmittableCrashObserver* submittableCrashObserver;
    HLYCrashCallbackTarget* crashCallbackTarget;
    bool firstInstall;
    const char* binaryImagePath;
    HLYExceptionContext exception;
    const char* documentsPath;
    std::uint64_t pageSize;
    HLYSignalContext signal;
    HLYUserLoggingKVStorage userKVStorage;
    HLYUserLoggingKVStorage internalKVStorage;
    HLYUserLoggingABStorage logStorage;
    HLYUserLoggingABStorage errorStorage;
    std::uint64_t logStartTime;   // monotonic nanoseconds at set-up
    std::uint64_t timeBaseRatio;  // nanoseconds per tick of that clock
    const char* reportFolder;
    const char* mainExecutablePath; // the loader names the main program ""
    const void* abortMessageSlot;   // the C library's abort message pointer, or null
};

struct HLYWritableContext {
    std::atomic<int> sdkLogDescriptor; // -1 until the first log line
    std::atomic<std::uint8_t> crashed;
    HLYFile binaryImageFile;
    HLYBinaryImageNode binaryImages[kHLYBinaryImageNodeCount];
    const char* currentLogPath;
    const char* currentErrorPath;
    std::uint32_t userKVCount;
    std::uint32_t internalKVCount;
    std::uint32_t customExceptionCount;
    HLYThreadList threads;
};

// What the crash reporting controller hands to the capture core.
struct HLYContextInitData {
    const char* apiKey = nullptr;
    HLYSubmittableCrashObserver* submittableCrashObserver = nullptr;
    bool firstInstall = false;
    HLYCrashCallbackTarget* crashCallbackTarget = nullptr;
    const char* customBundleIdentifier = nullptr;
    const char* reportFolder = nullptr;
    const char* sessionIdentifier = nullptr;
    const char* installIdentifier = nullptr;
    const char* betaToken = nullptr;
    std::uint32_t machExceptionMask = 0; // kept for the controller; this platform has no exception ports
    bool errorReportingEnabled = true;
    bool customExceptionsEnabled = true;
    std::uint32_t maxCustomExceptions = 16;
    std::uint32_t errorLogBufferSize = 65536;
    std::uint32_t logBufferSize = 65536;
    std::uint32_t maxCustomKeys = 16;
};

// The whole set-up, once per process: waits at most 5 s (kit clock) for its
// parallel steps, then seals the context. Must run on the thread that starts
// the kit, which gets the context's alternate signal stack.
void HLYContextInitialize(const HLYContextInitData* init);
// Queues, allocator and the allocations of the two contexts.
bool HLYContextBaseInit();
// folder/name in protected memory.
const char* HLYContextAppendPath(const char* folder, const char* fileName);
bool HLYContextRecordMetadata(const char* folder, const HLYContextInitData* init);

bool HLYContextIsInitialized();
bool HLYContextHasCrashed();
void HLYContextMarkHasCrashed();
// False before set-up ended; true when a crash was recorded already;
// otherwise marks the crash (one thread wins) and returns false.
bool HLYContextMarkAndCheckIfCrashed();
bool HLYContextIsDebuggerAttached();
// Takes the set-up down again, on the thread that ran it and only while
// nothing else uses the kit: the queues run dry, the handlers, the
// alternate stack and the terminate handler go back to what they were, the
// record files close, and a later HLYContextInitialize starts afresh.
void HLYContextBaseDeinit();

HLYContext* HLYContextShared();
HLYWritableContext* HLYWritableContextShared();
// Allocation from the context's mapping (kind 0: sealed at set-up's end).
void* HLYContextAllocate(std::size_t size, int kind);

std::shared_ptr<SerialQueue> HLYLoggingQueue();
std::shared_ptr<SerialQueue> HLYBinaryImagesQueue();
std::shared_ptr<SerialQueue> HLYExceptionQueue();

} // namespace qlkit
