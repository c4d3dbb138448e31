// Call-frame information (.eh_frame): CIE and FDE records and the CFA
// instructions that say, for a program counter, where the caller's registers
// are. Used at crash time: no heap, reads bounded by the records' lengths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qlkit {

struct HLYThreadState;

// A bounded read position; reading past `end` sets `failed` and yields 0.
struct HLYDwarfCursor {
    const std::uint8_t* at = nullptr;
    const std::uint8_t* end = nullptr;
    bool failed = false;
};

std::uint8_t HLYDwarfReadU8(HLYDwarfCursor* cursor);
std::uint16_t HLYDwarfReadU16(HLYDwarfCursor* cursor);
std::int16_t HLYDwarfReadS16(HLYDwarfCursor* cursor);
std::uint32_t HLYDwarfReadU32(HLYDwarfCursor* cursor);
std::int32_t HLYDwarfReadS32(HLYDwarfCursor* cursor);
std::uint64_t HLYDwarfReadU64(HLYDwarfCursor* cursor);
std::uint64_t HLYDwarfReadULEB128(HLYDwarfCursor* cursor);
std::int64_t HLYDwarfReadSLEB128(HLYDwarfCursor* cursor);
// A 32-bit length, or 0xffffffff followed by the 64-bit one.
std::uint64_t HLYDwarfReadInitialLength(HLYDwarfCursor* cursor);
// A pointer in a DW_EH_PE encoding; all ones for encodings it cannot read.
// `dataBase` is the base of data-relative values (0: none known).
std::uint64_t HLYParseAddressWithEncodingAndAdvance(HLYDwarfCursor* cursor, std::uint8_t encoding,
                                                    std::uintptr_t dataBase = 0);

struct HLYDwarfCIERecord {
    std::uint64_t length;
    std::uint8_t version;
    const char* augmentation;
    std::uint8_t fdeEncoding;         // 'R'
    std::uint8_t lsdaEncoding;        // 'L'
    std::uint8_t personalityEncoding; // 'P'
    std::uint64_t personality;
    std::uint64_t codeAlignment;
    std::int64_t dataAlignment;
    std::uint64_t returnAddressRegister;
    bool signalFrame; // 'S'
    const std::uint8_t* instructions;
    const std::uint8_t* instructionsEnd;
};

struct HLYDwarfFDERecord {
    std::uint64_t length;
    std::uint32_t ciePointer;
    std::uint64_t pcBegin;
    std::uint64_t pcRange;
    const std::uint8_t* instructions;
    const std::uint8_t* instructionsEnd;
};

struct HLYDwarfRecords {
    HLYDwarfCIERecord cie;
    HLYDwarfFDERecord fde;
};

enum HLYDwarfRuleKind : std::uint32_t {
    HLYDwarfRuleUnchanged = 0,
    HLYDwarfRuleSavedAtCFAOffset = 1,  // at CFA + value
    HLYDwarfRuleValueCFAOffset = 2,    // the value CFA + value (never produced)
    HLYDwarfRuleInRegister = 3,        // in register `value`
    HLYDwarfRuleSavedAtExpression = 4, // at the address the expression at `value` computes
    HLYDwarfRuleValueExpression = 5,   // the value of that expression
    HLYDwarfRuleUndefined = 6,         // no value: for the return address, the outermost frame
};

struct HLYDwarfRule {
    std::uint32_t kind;
    std::uint64_t value;
};

inline constexpr std::uint64_t kHLYDwarfRegisterCount = 17; // rax .. r15, rip
inline constexpr std::uint64_t kHLYDwarfCFAExpressionRegister = 17;

struct HLYDwarfState {
    std::uint64_t cfaRegister;
    std::int64_t cfaOffset;
    const std::uint8_t* cfaExpression;
    HLYDwarfRule rules[kHLYDwarfRegisterCount];
};

bool HLYDwarfParseCIERecord(HLYDwarfCIERecord* cie, std::uintptr_t address);
bool HLYDwarfParseFDERecord(HLYDwarfFDERecord* fde, bool parseCIE, HLYDwarfCIERecord* cie, std::uintptr_t address);
bool HLYDwarfFDEInit(HLYDwarfRecords* records, std::uintptr_t fdeAddress);
bool HLYDwarfFDEInitWithOffset(HLYDwarfRecords* records, std::uintptr_t ehFrame, std::uint64_t offset);
bool HLYDwarfCIEIsValid(const HLYDwarfCIERecord* cie);
bool HLYDwarfCIEHasAugmentationData(const HLYDwarfCIERecord* cie);

// Runs instructions until the end or until they move past `pcLimit` (an
// offset from the function's start): the state then holds the rules that
// apply at that offset. `initial` is the state after the CIE's instructions,
// for DW_CFA_restore; `pcBegin` makes DW_CFA_set_loc relative.
bool HLYDwarfInstructionsEnumerate(const std::uint8_t* instructions, const std::uint8_t* end,
                                   const HLYDwarfCIERecord* cie, HLYDwarfState* state, std::uint64_t pcLimit,
                                   const HLYDwarfState* initial, std::uint64_t pcBegin);

enum class HLYDwarfUnwindResult { Failed, Unwound, OutermostFrame };

// One step: the caller's registers from the records for `lookupPC` (the pc,
// or the pc - 1 of a return address). `state` is replaced only on success.
HLYDwarfUnwindResult HLYDwarfUnwindComputeRegisters(const HLYDwarfRecords* records, HLYThreadState* state,
                                                    std::uint64_t lookupPC);

std::uint64_t HLYDwarfGetRegisterValue(const HLYThreadState* state, std::uint64_t number);
bool HLYDwarfSetRegisterValue(HLYThreadState* state, std::uint64_t number, std::uint64_t value);

} // namespace qlkit
