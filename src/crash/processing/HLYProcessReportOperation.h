// Processing one report before it is packaged: every record file with a
// stack gets a companion "<file>.symbolicated" naming each frame's symbol,
// offset and library.
#pragma once

#include "crash/capture/HLYException.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYInternalReport;
class HLYSymbolResolver;

// One list of frames per thread, in the record's order.
using HLYThreadArray = std::vector<std::vector<HLYStackFrame>>;

// "{[0x%llx] symbol - file:line}" or "{[0x%llx + line] symbol}".
std::string HLYStackFrameDescription(const HLYStackFrame& frame);

// Runs the block on every frame; `stop` set by the block skips the rest of
// that thread's frames.
void HLYEnumerateFrames(HLYThreadArray& threads, const std::function<void(HLYStackFrame&, bool isFirst, bool& stop)>& block);

void HLYSymbolicateFrames(HLYThreadArray& threads, HLYSymbolResolver& resolver);
void HLYDemangleFrames(HLYThreadArray& threads);
bool HLYSerializeSymbolicatedFrames(const HLYThreadArray& threads, const std::filesystem::path& outputPath);

// Demangling by the name's start: "_Z" C++, "__Z" a C++ block invocation,
// "_T" a Swift name (which nothing here can read); anything else stays.
std::optional<std::string> HLYDemangleSymbol(const char* name);
std::optional<std::string> HLYDemangleCppSymbol(const char* name);
std::optional<std::string> HLYDemangleBlockInvokeCppSymbol(const char* name);
std::optional<std::string> HLYDemangleSwiftSymbol(const char* name);

class HLYProcessReportOperation {
public:
    HLYProcessReportOperation(std::shared_ptr<HLYInternalReport> report, std::shared_ptr<HLYSymbolResolver> resolver);

    const std::shared_ptr<HLYInternalReport>& report() const { return m_report; }
    const std::shared_ptr<HLYSymbolResolver>& symbolResolver() const { return m_symbolResolver; }
    std::filesystem::path binaryImagePath() const;

    // The first "threads" line's stacks; nothing when the file has none.
    static std::optional<HLYThreadArray> threadArrayFromFile(const std::filesystem::path& path);
    bool symbolicateFile(const std::filesystem::path& path, HLYSymbolResolver& resolver) const;
    void main();

private:
    std::shared_ptr<HLYInternalReport> m_report;
    std::shared_ptr<HLYSymbolResolver> m_symbolResolver;
};

} // namespace qlkit
