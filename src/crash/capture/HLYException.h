// Exception capture: uncaught C++ exceptions through the terminate handler
// (fatal: exception.hlyrecord and the crash sections), and the non-fatal
// custom and script exceptions the kit hands in (custom_exception.hlyrecord,
// one line each, up to a limit per run).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

struct HLYExceptionContext;

enum HLYExceptionType : std::uint32_t {
    HLYExceptionTypeObjectiveC = 1,
    HLYExceptionTypeCpp = 2,
    HLYExceptionTypeJavaScript = 3,
    HLYExceptionTypeCustom = 4,
};

// One frame a caller hands in with a custom exception.
struct HLYStackFrame {
    std::uint64_t address = 0;
    std::optional<std::string> symbol;
    std::uint64_t offset = 0;
    std::optional<std::string> library;
    std::optional<std::string> fileName;
    std::uint32_t lineNumber = 0;
};

bool HLYExceptionInitialize(HLYExceptionContext* context, std::uint32_t* customExceptionCount);
// Records one exception; types 1 and 2 are fatal and get the crash sections,
// recorded on the calling thread.
void HLYExceptionRecord(std::uint32_t type, const char* name, const char* reason,
                        const std::vector<HLYStackFrame>* frames, bool notify);
void HLYTerminateHandler();
// Puts back the terminate handler HLYExceptionInitialize replaced.
void HLYExceptionDeinit(const HLYExceptionContext* context);
// Puts the terminate handler back, warning when someone replaced it.
void HLYExceptionCheckHandlers();
[[noreturn]] void HLYExceptionThrowTestCppException();
std::string HLYExceptionDemangleTypeName(const char* mangledName);
const char* HLYExceptionTypeName(std::uint32_t type);

} // namespace qlkit
