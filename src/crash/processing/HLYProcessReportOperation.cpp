#include "crash/processing/HLYProcessReportOperation.h"

#include "crash/capture/HLYFile.h"
#include "crash/processing/HLYSymbolResolver.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/foundation/Log.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>

namespace qlkit {
namespace {

constexpr const char* kBlockInvoke = "_block_invoke";

} // namespace

std::string HLYStackFrameDescription(const HLYStackFrame& frame)
{
    char text[64];
    const std::string symbol = frame.symbol.value_or("(null)");
    if (frame.fileName) {
        std::snprintf(text, sizeof text, "{[0x%" PRIx64 "] ", frame.address);
        return text + symbol + " - " + *frame.fileName + ":" + std::to_string(frame.lineNumber) + "}";
    }
    std::snprintf(text, sizeof text, "{[0x%" PRIx64 " + %u] ", frame.address, frame.lineNumber);
    return text + symbol + "}";
}

void HLYEnumerateFrames(HLYThreadArray& threads, const std::function<void(HLYStackFrame&, bool, bool&)>& block)
{
    for (auto& frames : threads) {
        bool stop = false;
        for (std::size_t i = 0; i < frames.size() && !stop; ++i)
            block(frames[i], i == 0, stop);
    }
}

void HLYSymbolicateFrames(HLYThreadArray& threads, HLYSymbolResolver& resolver)
{
    // A thread's first frame is where it stood; every later one is a return address.
    HLYEnumerateFrames(threads, [&](HLYStackFrame& frame, bool isFirst, bool&) { resolver.updateStackFrame(frame, !isFirst); });
}

void HLYDemangleFrames(HLYThreadArray& threads)
{
    HLYEnumerateFrames(threads, [](HLYStackFrame& frame, bool, bool&) {
        if (!frame.symbol)
            return;
        if (auto demangled = HLYDemangleSymbol(frame.symbol->c_str()))
            frame.symbol = std::move(demangled);
    });
}

bool HLYSerializeSymbolicatedFrames(const HLYThreadArray& threads, const std::filesystem::path& outputPath)
{
    HLYFile file;
    if (!HLYFileInitWithPathMode(&file, outputPath.c_str(), false, false)) {
        log::always("[Halyard:Crash:Symbolication] Failed to create output file");
        return false;
    }
    HLYFileWriteSectionStart(&file, "threads");
    HLYFileWriteArrayStart(&file);
    for (const auto& frames : threads) {
        HLYFileWriteArrayStart(&file);
        for (const auto& frame : frames) {
            HLYFileWriteHashStart(&file);
            HLYFileWriteHashEntryString(&file, "symbol", frame.symbol ? frame.symbol->c_str() : nullptr);
            HLYFileWriteHashEntryUInt64(&file, "offset", frame.offset);
            HLYFileWriteHashEntryString(&file, "library", frame.library ? frame.library->c_str() : nullptr);
            HLYFileWriteHashEnd(&file);
        }
        HLYFileWriteArrayEnd(&file);
    }
    HLYFileWriteArrayEnd(&file);
    HLYFileWriteSectionEnd(&file);
    HLYFileClose(&file);
    return true;
}

std::optional<std::string> HLYDemangleSymbol(const char* name)
{
    if (!name)
        return std::nullopt;
    if (std::strncmp(name, "_Z", 2) == 0)
        return HLYDemangleCppSymbol(name);
    if (std::strncmp(name, "__Z", 3) == 0)
        return HLYDemangleBlockInvokeCppSymbol(name);
    if (std::strncmp(name, "_T", 2) == 0)
        return HLYDemangleSwiftSymbol(name);
    return std::nullopt;
}

std::optional<std::string> HLYDemangleCppSymbol(const char* name)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (!demangled || status != 0) {
        std::free(demangled);
        return std::nullopt;
    }
    std::string text = demangled;
    std::free(demangled);
    return text;
}

std::optional<std::string> HLYDemangleBlockInvokeCppSymbol(const char* name)
{
    const std::string text = name;
    const auto at = text.rfind(kBlockInvoke);
    if (at == std::string::npos || at < 5)
        return std::nullopt;
    const auto demangled = HLYDemangleSymbol(text.substr(1, at - 1).c_str());
    if (!demangled)
        return std::nullopt;
    return *demangled + text.substr(at);
}

// No demangler for these names is part of the program.
std::optional<std::string> HLYDemangleSwiftSymbol(const char*) { return std::nullopt; }

HLYProcessReportOperation::HLYProcessReportOperation(std::shared_ptr<HLYInternalReport> report,
                                                     std::shared_ptr<HLYSymbolResolver> resolver)
    : m_report(std::move(report)), m_symbolResolver(std::move(resolver))
{
}

std::filesystem::path HLYProcessReportOperation::binaryImagePath() const { return m_report->binaryImagePath(); }

std::optional<HLYThreadArray> HLYProcessReportOperation::threadArrayFromFile(const std::filesystem::path& path)
{
    const auto lines = HLYFileReadSections(path.c_str(), false, [](const Value& line) -> std::optional<Value> {
        const Map* map = line.asMap();
        const Value* threads = map ? map->find("threads") : nullptr;
        return threads ? std::optional<Value>(*threads) : std::nullopt;
    });
    if (!lines || lines->empty() || !lines->front().asArray())
        return std::nullopt;
    HLYThreadArray threads;
    for (const Value& thread : *lines->front().asArray()) {
        std::vector<HLYStackFrame> frames;
        const Map* map = thread.asMap();
        const Value* stack = map ? map->find("stacktrace") : nullptr;
        if (stack && stack->asArray()) {
            for (const Value& entry : *stack->asArray()) {
                HLYStackFrame frame;
                if (const auto* integer = entry.asInt())
                    frame.address = std::uint64_t(*integer);
                else if (const auto number = entry.numberValue())
                    frame.address = std::uint64_t(*number);
                frames.push_back(frame);
            }
        }
        threads.push_back(std::move(frames));
    }
    return threads;
}

bool HLYProcessReportOperation::symbolicateFile(const std::filesystem::path& path, HLYSymbolResolver& resolver) const
{
    auto threads = threadArrayFromFile(path);
    if (!threads)
        return false;
    HLYSymbolicateFrames(*threads, resolver);
    HLYDemangleFrames(*threads);
    HLYSerializeSymbolicatedFrames(*threads, path.string() + ".symbolicated");
    return true;
}

void HLYProcessReportOperation::main()
{
    if (!m_symbolResolver || !m_symbolResolver->loadBinaryImagesFromFile(binaryImagePath()))
        return;
    m_report->enumerateSymbolicatableFilesInContent([&](const std::filesystem::path& file) {
        std::error_code error;
        if (std::filesystem::exists(file, error))
            symbolicateFile(file, *m_symbolResolver);
    });
}

} // namespace qlkit
