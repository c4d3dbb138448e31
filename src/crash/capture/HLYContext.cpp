#include "crash/capture/HLYContext.h"

#include "crash/HalyardConstants.h"
#include "crash/capture/HLYAllocator.h"
#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYException.h"
#include "crash/capture/HLYHost.h"
#include "crash/capture/HLYProcess.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYSignal.h"
#include "crash/capture/HLYThreadSignalStacks.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/ApplicationInfo.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Log.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <new>
#include <optional>
#include <string>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::uintptr_t kLowestPlausibleAddress = 4096;
constexpr double kSetUpTimeout = 5.0;
constexpr std::uint32_t kInternalKVMaxEntries = 32;
constexpr std::uint32_t kKVCompactionThreshold = 64;
// Room in the protected region for the context's path strings.
constexpr std::size_t kProtectedStringRoom = 32 * 1024;

std::atomic<HLYContext*> g_context {nullptr};
std::atomic<HLYWritableContext*> g_writable {nullptr};
std::atomic<HLYAllocator*> g_allocator {nullptr};
// Set-up runs once, until HLYContextBaseDeinit takes it all down again.
std::atomic<bool> g_started {false};

struct Queues {
    std::shared_ptr<SerialQueue> logging;
    std::shared_ptr<SerialQueue> binaryImages;
    std::shared_ptr<SerialQueue> exception;
};

Queues& queues()
{
    static auto* instance = new Queues; // used by threads until the process ends
    return *instance;
}

// The init record's texts, kept while the set-up blocks may still run: they
// can outlive the caller's record when set-up takes longer than its wait.
struct InitCopy {
    std::string apiKey;
    std::optional<std::string> customBundleIdentifier;
    std::string reportFolder;
    std::string sessionIdentifier;
    std::string installIdentifier;
    std::optional<std::string> betaToken;
    HLYContextInitData data;
};

std::optional<std::string> optionalText(const char* text)
{
    return text ? std::optional<std::string>(text) : std::nullopt;
}

std::shared_ptr<InitCopy> copyInit(const HLYContextInitData& init)
{
    auto copy = std::make_shared<InitCopy>();
    copy->apiKey = init.apiKey ? init.apiKey : "";
    copy->customBundleIdentifier = optionalText(init.customBundleIdentifier);
    copy->reportFolder = init.reportFolder ? init.reportFolder : "";
    copy->sessionIdentifier = init.sessionIdentifier ? init.sessionIdentifier : "";
    copy->installIdentifier = init.installIdentifier ? init.installIdentifier : "";
    copy->betaToken = optionalText(init.betaToken);
    copy->data = init;
    copy->data.apiKey = copy->apiKey.c_str();
    copy->data.customBundleIdentifier = copy->customBundleIdentifier ? copy->customBundleIdentifier->c_str() : nullptr;
    copy->data.reportFolder = copy->reportFolder.c_str();
    copy->data.sessionIdentifier = copy->sessionIdentifier.c_str();
    copy->data.installIdentifier = copy->installIdentifier.c_str();
    copy->data.betaToken = copy->betaToken ? copy->betaToken->c_str() : nullptr;
    return copy;
}

std::string mainExecutablePath()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string();
}

std::optional<std::string> infoText(const char* key)
{
    const auto value = info::mainInfoValue(key);
    if (value && value->asString())
        return *value->asString();
    return std::nullopt;
}

std::optional<std::string> extensionPointIdentifier()
{
    const auto extension = info::mainInfoValue("NSExtension");
    if (!extension || !extension->asMap())
        return std::nullopt;
    const Value* point = extension->asMap()->find("NSExtensionPointIdentifier");
    return point && point->asString() ? std::optional<std::string>(*point->asString()) : std::nullopt;
}

const char* orNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

// Paths and limits of the user-logging records (keys, logs, errors), and
// where each A/B pair starts.
void setUpUserLoggingPaths(HLYContext* context, HLYWritableContext* writable, const HLYContextInitData& init)
{
    const char* folder = init.reportFolder;
    context->errorStorage.maxSize = init.errorReportingEnabled ? init.errorLogBufferSize : 0;
    context->logStorage.maxSize = init.logBufferSize;
    context->userKVStorage.maxEntries = init.maxCustomKeys;
    context->internalKVStorage.maxEntries = kInternalKVMaxEntries;
    context->errorStorage.pathA = HLYContextAppendPath(folder, "errors_a.hlyrecord");
    context->errorStorage.pathB = HLYContextAppendPath(folder, "errors_b.hlyrecord");
    context->logStorage.pathA = HLYContextAppendPath(folder, "log_a.hlyrecord");
    context->logStorage.pathB = HLYContextAppendPath(folder, "log_b.hlyrecord");
    context->userKVStorage.incrementalPath = HLYContextAppendPath(folder, "user_incremental_kv.hlyrecord");
    context->userKVStorage.compactedPath = HLYContextAppendPath(folder, "user_compacted_kv.hlyrecord");
    context->internalKVStorage.incrementalPath = HLYContextAppendPath(folder, "internal_incremental_kv.hlyrecord");
    context->internalKVStorage.compactedPath = HLYContextAppendPath(folder, "internal_compacted_kv.hlyrecord");
    context->userKVStorage.compactionThreshold = kKVCompactionThreshold;
    context->internalKVStorage.compactionThreshold = kKVCompactionThreshold;
    writable->currentLogPath = context->logStorage.pathA;
    writable->currentErrorPath = context->errorStorage.pathA;
    writable->userKVCount = 0;
    writable->internalKVCount = 0;
    context->logStartTime = HLYMonotonicNanoseconds();
    context->timeBaseRatio = 1; // the clock counts nanoseconds
}

void installHandlers(HLYContext* context, HLYWritableContext* writable, const HLYContextInitData& init,
                     const std::shared_ptr<DispatchGroup>& group)
{
    const auto global = ConcurrentQueue::global();
    auto block = [&group, &global](std::function<void()> work) {
        group->enter();
        global->async([group, work = std::move(work)] {
            work();
            group->leave();
        });
    };
    const char* folder = init.reportFolder;
    block([context, folder] {
        context->signal.path = HLYContextAppendPath(folder, "signal.hlyrecord");
        HLYSignalInitialize(&context->signal);
    });
    // This platform has no exception ports: hardware faults arrive as signals.
    block([context, writable, folder, init] {
        context->exception.path = HLYContextAppendPath(folder, "exception.hlyrecord");
        context->exception.customPath = HLYContextAppendPath(folder, "custom_exception.hlyrecord");
        context->exception.maxCustomExceptions = init.customExceptionsEnabled ? init.maxCustomExceptions : 0;
        HLYExceptionInitialize(&context->exception, &writable->customExceptionCount);
    });
}

} // namespace

bool HLYContextBaseInit()
{
    if (g_context.load())
        return true;
    auto& q = queues();
    const std::string label = kHalyardIdentifier;
    q.logging = SerialQueue::create(label + ".logging");
    q.binaryImages = SerialQueue::create(label + ".binary-images");
    q.exception = SerialQueue::create(label + ".exception");

    const std::size_t writableRequest = sizeof(HLYWritableContext) + kHLYSignalStackSize + 2 * kHLYAllocationAlignment;
    const std::size_t protectedRequest = sizeof(HLYContext) + kProtectedStringRoom;
    HLYAllocator* allocator = HLYAllocatorCreate(writableRequest, protectedRequest);
    g_allocator.store(allocator);
    void* contextMemory = HLYAllocatorSafeAllocate(allocator, sizeof(HLYContext), HLYAllocationProtected);
    void* stack = HLYAllocatorSafeAllocate(allocator, kHLYSignalStackSize, HLYAllocationWritable);
    void* writableMemory = HLYAllocatorSafeAllocate(allocator, sizeof(HLYWritableContext), HLYAllocationWritable);
    if (!contextMemory || !stack || !writableMemory)
        return false;
    auto* context = new (contextMemory) HLYContext {};
    context->signalStack = stack;
    auto* writable = new (writableMemory) HLYWritableContext {};
    writable->sdkLogDescriptor.store(-1);
    writable->crashed.store(0);
    writable->binaryImageFile.descriptor = -1;
    context->initialised.store(0);
    g_writable.store(writable);
    g_context.store(context);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    return true;
}

void HLYContextInitialize(const HLYContextInitData* init)
{
    if (!init || g_started.exchange(true))
        return;
    if (!HLYContextBaseInit())
        return;
    HLYContext* context = g_context.load();
    HLYWritableContext* writable = g_writable.load();
    const auto copy = copyInit(*init);
    const HLYContextInitData& data = copy->data;

    context->reportFolder = HLYDuplicateString(data.reportFolder);
    context->sdkLogPath = HLYContextAppendPath(data.reportFolder, "sdk.log");
    if (!HLYUnlinkIfExists(context->sdkLogPath))
        log::always(std::string("[Halyard:Crash] Unable to write initialize SDK write paths ") + HLYErrorText(errno));
    context->debuggerAttached = HLYProcessDebuggerAttached();
    context->submittableCrashObserver = data.submittableCrashObserver;
    context->crashCallbackTarget = data.crashCallbackTarget;
    context->firstInstall = data.firstInstall;
    context->mainExecutablePath = HLYDuplicateString(mainExecutablePath().c_str());
    context->abortMessageSlot = HLYProcessFindAbortMessageSlot();
    // The alternate stack belongs to a thread: it goes to the thread that
    // starts the kit, not to whichever pool thread installs the handlers.
    if (!context->debuggerAttached)
        HLYSignalInstallAltStack(&context->signal, context->signalStack, kHLYSignalStackSize);

    auto group = DispatchGroup::create();
    const auto global = ConcurrentQueue::global();
    auto block = [&](std::function<void()> work) {
        group->enter();
        global->async([group, copy, work = std::move(work)] {
            work();
            group->leave();
        });
    };
    block([context] { HLYHostInitialize(context); });
    block([context, writable, &data] { setUpUserLoggingPaths(context, writable, data); });
    block([context, &data] {
        context->binaryImagePath = HLYContextAppendPath(data.reportFolder, "binary_images.hlyrecord");
        HLYBinaryImageInit();
    });
    if (!context->debuggerAttached)
        installHandlers(context, writable, data, group);
    else
        HLYSDKLog("%s: Debugger present - not installing handlers\n", "HLYContextInitialize");
    if (!HLYThreadSignalStacksActive())
        HLYSDKLog("%s: Warning: threads get no alternate signal stack: their stack overflows go unrecorded\n",
                  "HLYContextInitialize");
    block([&data] { HLYContextRecordMetadata(data.reportFolder, &data); });

    // Sealing runs once every step has finished; the caller waits for that
    // too, so the context is complete when it returns in time.
    auto sealed = DispatchGroup::create();
    sealed->enter();
    group->notify(global, [context, sealed, copy] {
        context->initialised.store(1);
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (!HLYAllocatorProtect(g_allocator.load()))
            HLYSDKLog("%s: Error: Memory protection failed\n", "HLYContextInitializeNotify");
        sealed->leave();
    });
    if (!sealed->wait(kSetUpTimeout))
        HLYSDKLog("%s: Error: Delayed initialization\n", "HLYContextInitialize");
}

const char* HLYContextAppendPath(const char* folder, const char* fileName)
{
    if (!folder || !fileName)
        return nullptr;
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += fileName;
    return HLYDuplicateString(path.c_str());
}

bool HLYContextRecordMetadata(const char* folder, const HLYContextInitData* init)
{
    if (!folder || !init)
        return false;
    const std::string path = std::string(folder) + "/metadata.hlyrecord";
    if (!HLYUnlinkIfExists(path.c_str()))
        HLYSDKLog("%s: Unable to unlink existing metadata file %s\n", "HLYContextRecordMetadata", path.c_str());
    HLYFile file;
    if (!HLYFileInitWithPath(&file, path.c_str(), false)) {
        HLYSDKLog("%s: Unable to open metadata file %s\n", "HLYContextRecordMetadata", path.c_str());
        HLYSDKLog("%s: Unable to record context metadata\n", "HLYContextRecordMetadataBlock");
        return false;
    }
    HLYFileWriteSectionStart(&file, "identity");
    HLYFileWriteHashStart(&file);
    HLYFileWriteHashEntryString(&file, "generator", kHalyardGenerator);
    HLYFileWriteHashEntryString(&file, "build_version", kHalyardBuildVersion);
    HLYFileWriteHashEntryString(&file, "display_version", kHalyardDisplayVersion);
    HLYFileWriteHashEntryString(&file, "api_key", init->apiKey);
    HLYFileWriteHashEntryUInt64(&file, "started_at", std::uint64_t(std::time(nullptr)));
    HLYFileWriteHashEntryString(&file, "session_id", init->sessionIdentifier);
    HLYFileWriteHashEntryString(&file, "install_id", init->installIdentifier);
    HLYFileWriteHashEntryString(&file, "beta_token", init->betaToken);
    HLYFileWriteHashEnd(&file);
    HLYFileWriteSectionEnd(&file);

    if (!HLYHostRecord(&file))
        HLYSDKLog("%s: Unable to write out host metadata\n", "HLYContextRecordMetadata");

    HLYFileWriteSectionStart(&file, "application");
    HLYFileWriteHashStart(&file);
    HLYFileWriteHashEntryString(&file, "bundle_id", orNull(infoText("CFBundleIdentifier")));
    HLYFileWriteHashEntryString(&file, "custom_bundle_id", init->customBundleIdentifier);
    HLYFileWriteHashEntryString(&file, "build_version", orNull(RIGApplicationBuildVersion()));
    HLYFileWriteHashEntryString(&file, "display_version", orNull(RIGApplicationDisplayVersion()));
    HLYFileWriteHashEntryString(&file, "extension_id", orNull(extensionPointIdentifier()));
    HLYFileWriteHashEnd(&file);
    HLYFileWriteSectionEnd(&file);

    if (!HLYBinaryImageRecordMainExecutable(&file))
        HLYSDKLog("%s: Unable to write out executable metadata\n", "HLYContextRecordMetadata");
    HLYFileClose(&file);
    return true;
}

HLYContext* HLYContextShared() { return g_context.load(std::memory_order_acquire); }

HLYWritableContext* HLYWritableContextShared() { return g_writable.load(std::memory_order_acquire); }

void* HLYContextAllocate(std::size_t size, int kind) { return HLYAllocatorSafeAllocate(g_allocator.load(), size, kind); }

bool HLYContextIsInitialized()
{
    std::atomic_thread_fence(std::memory_order_seq_cst);
    const HLYContext* context = g_context.load();
    return std::uintptr_t(context) >= kLowestPlausibleAddress && context->initialised.load();
}

bool HLYContextHasCrashed()
{
    const HLYWritableContext* writable = g_writable.load();
    return HLYContextIsInitialized() && writable && writable->crashed.load();
}

void HLYContextMarkHasCrashed()
{
    HLYWritableContext* writable = g_writable.load();
    if (!HLYContextIsInitialized() || !writable)
        return;
    writable->crashed.store(1);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

bool HLYContextMarkAndCheckIfCrashed()
{
    HLYWritableContext* writable = g_writable.load();
    if (!HLYContextIsInitialized() || !writable)
        return false;
    // One atomic exchange: of two threads crashing at once exactly one wins.
    return writable->crashed.exchange(1) != 0;
}

bool HLYContextIsDebuggerAttached()
{
    const HLYContext* context = g_context.load();
    return context && context->debuggerAttached;
}

void HLYContextBaseDeinit()
{
    HLYContext* context = g_context.load();
    HLYWritableContext* writable = g_writable.load();
    auto& q = queues();
    // What set-up queued runs out first; then everything it put in place
    // goes back, so that a later set-up starts afresh.
    for (const auto& queue : {q.logging, q.binaryImages, q.exception})
        if (queue)
            queue->sync([] {});
    if (context) {
        HLYBinaryImageDeinit();
        if (!context->debuggerAttached) {
            HLYSignalDeinit(&context->signal);
            HLYExceptionDeinit(&context->exception);
        }
    }
    if (writable) {
        const int descriptor = writable->sdkLogDescriptor.exchange(-1);
        if (descriptor >= 0)
            ::close(descriptor);
    }
    if (context && !HLYAllocatorUnprotect(g_allocator.load()))
        return;
    if (context)
        context->initialised.store(0);
    HLYAllocatorFree(g_allocator.load());
    g_context.store(nullptr);
    g_writable.store(nullptr);
    g_allocator.store(nullptr);
    q.logging.reset();
    q.binaryImages.reset();
    q.exception.reset();
    g_started.store(false);
}

std::shared_ptr<SerialQueue> HLYLoggingQueue() { return queues().logging; }
std::shared_ptr<SerialQueue> HLYBinaryImagesQueue() { return queues().binaryImages; }
std::shared_ptr<SerialQueue> HLYExceptionQueue() { return queues().exception; }

} // namespace qlkit
