#include "crash/capture/HLYException.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYHandler.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYThreadList.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/Log.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <typeinfo>
#include <unistd.h>

namespace qlkit {
namespace {

void writeFrames(HLYFile* file, const std::vector<HLYStackFrame>& frames)
{
    HLYFileWriteHashKey(file, "frames");
    HLYFileWriteArrayStart(file);
    for (const auto& frame : frames) {
        HLYFileWriteHashStart(file);
        HLYFileWriteHashEntryUInt64(file, "pc", frame.address);
        if (frame.symbol)
            HLYFileWriteHashEntryHexEncodedString(file, "symbol", frame.symbol->c_str());
        HLYFileWriteHashEntryUInt64(file, "offset", frame.offset);
        if (frame.library)
            HLYFileWriteHashEntryHexEncodedString(file, "library", frame.library->c_str());
        if (frame.fileName)
            HLYFileWriteHashEntryHexEncodedString(file, "file", frame.fileName->c_str());
        HLYFileWriteHashEntryUInt64(file, "line", frame.lineNumber);
        HLYFileWriteHashEnd(file);
    }
    HLYFileWriteArrayEnd(file);
}

void recordOnQueue(std::uint32_t type, const char* name, const char* reason, const std::vector<HLYStackFrame>* frames,
                   bool notify)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    const bool fatal = type == HLYExceptionTypeObjectiveC || type == HLYExceptionTypeCpp;
    if (!fatal) {
        if (writable->customExceptionCount >= context->exception.maxCustomExceptions)
            return; // over the run's limit: dropped silently
        ++writable->customExceptionCount;
    }
    HLYFile file;
    if (!HLYFileInitWithPath(&file, fatal ? context->exception.path : context->exception.customPath, false)) {
        HLYSDKLog("%s: Unable to open exception file\n", "HLYExceptionRecordBlock");
        return;
    }
    HLYFileWriteSectionStart(&file, "exception");
    HLYFileWriteHashStart(&file);
    HLYFileWriteHashEntryString(&file, "type", HLYExceptionTypeName(type));
    HLYFileWriteHashEntryHexEncodedString(&file, "name", name);
    HLYFileWriteHashEntryHexEncodedString(&file, "reason", reason);
    HLYFileWriteHashEntryUInt64(&file, "time", std::uint64_t(std::time(nullptr)));
    if (frames && !frames->empty())
        writeFrames(&file, *frames);
    HLYFileWriteHashEnd(&file);
    HLYFileWriteSectionEnd(&file);
    if (fatal) {
        // The crash sections need the other threads stopped: wait for any
        // crash being recorded on another thread, then record this one.
        HLYThreadList* threads = &writable->threads;
        if (HLYRecorderAcquire(threads, nullptr) == HLYRecorderClaim::Acquired) {
            HLYHandler(&file, pid_t(gettid()), nullptr);
            HLYRecorderRelease(threads);
        }
    }
    HLYFileClose(&file);
    if (fatal && notify)
        HLYHandlerNotifyPotentiallySubmittableCrash();
}

} // namespace

const char* HLYExceptionTypeName(std::uint32_t type)
{
    switch (type) {
    case HLYExceptionTypeObjectiveC: return "objective-c";
    case HLYExceptionTypeCpp: return "c++";
    case HLYExceptionTypeJavaScript: return "javascript";
    case HLYExceptionTypeCustom: return "custom";
    default: return "unknown";
    }
}

bool HLYExceptionInitialize(HLYExceptionContext* context, std::uint32_t* customExceptionCount)
{
    if (!context)
        return false;
    if (!HLYUnlinkIfExists(context->path))
        HLYSDKLog("%s: Unable to reset the exception file %s\n", "HLYExceptionInitialize", HLYErrorText(errno));
    if (!HLYUnlinkIfExists(context->customPath))
        HLYSDKLog("%s: Unable to reset the custom exception file %s\n", "HLYExceptionInitialize", HLYErrorText(errno));
    context->previousTerminateHandler = std::set_terminate(HLYTerminateHandler);
    if (context->previousTerminateHandler == HLYTerminateHandler)
        context->previousTerminateHandler = nullptr;
    if (customExceptionCount)
        *customExceptionCount = 0;
    return true;
}

void HLYExceptionRecord(std::uint32_t type, const char* name, const char* reason,
                        const std::vector<HLYStackFrame>* frames, bool notify)
{
    if (!HLYContextIsInitialized())
        return;
    const bool fatal = type == HLYExceptionTypeObjectiveC || type == HLYExceptionTypeCpp;
    HLYSDKLog("%s: Recording an exception structure (%d, %d)\n", "HLYExceptionRecord", int(notify), int(fatal));
    // On the exception queue, so lines never interleave; the queue runs the
    // block on this very thread, which stays the crashed thread.
    if (const auto queue = HLYExceptionQueue())
        queue->sync([&] { recordOnQueue(type, name, reason, frames, notify); });
    HLYSDKLog("%s: Finished recording an exception structure\n", "HLYExceptionRecord");
}

void HLYTerminateHandler()
{
    HLYSDKLog("%s: uncaught exception\n", "HLYTerminateHandler");
    const std::type_info* type = abi::__cxa_current_exception_type();
    // Without a current exception there is nothing to classify (and a
    // rethrow would only end up here again).
    if (type) {
        const std::string name = HLYExceptionDemangleTypeName(type->name());
        std::string reason;
        try {
            throw;
        } catch (const char* text) {
            reason = text ? text : "";
        } catch (const std::string& text) {
            reason = text;
        } catch (const std::exception& exception) {
            reason = exception.what();
        } catch (const std::exception* exception) {
            reason = exception ? exception->what() : "";
        } catch (...) {
        }
        HLYExceptionRecord(HLYExceptionTypeCpp, name.c_str(), reason.c_str(), nullptr, true);
    }
    const HLYContext* context = HLYContextShared();
    if (context && context->exception.previousTerminateHandler) {
        HLYSDKLog("%s: calling out to preexisting termination handler\n", "HLYTerminateHandler");
        context->exception.previousTerminateHandler();
    }
    HLYSDKLog("%s: aborting after uncaught exception\n", "HLYTerminateHandler");
    std::abort();
}

void HLYExceptionDeinit(const HLYExceptionContext* context)
{
    if (context && context->previousTerminateHandler && std::get_terminate() == HLYTerminateHandler)
        std::set_terminate(context->previousTerminateHandler);
}

void HLYExceptionCheckHandlers()
{
    // Without a capture core (never set up, or taken down) nothing is ours.
    if (!HLYContextShared() || HLYContextIsDebuggerAttached())
        return;
    const std::terminate_handler previous = std::set_terminate(HLYTerminateHandler);
    if (!previous || previous == HLYTerminateHandler)
        return;
    HLYDladdrWithBlock(reinterpret_cast<const void*>(previous), [](const char* symbol, const char* image) {
        log::always(std::string("[Halyard:Crash] Warning: std::set_terminate is '") + (symbol ? symbol : "unknown")
                    + "' in '" + (image ? image : "unknown") + "'");
    });
    std::set_terminate(previous);
}

void HLYExceptionThrowTestCppException() { throw "Halyard C++ Test Exception"; }

std::string HLYExceptionDemangleTypeName(const char* mangledName)
{
    if (!mangledName)
        return "";
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(mangledName, nullptr, nullptr, &status),
                                                          &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangledName);
}

} // namespace qlkit
