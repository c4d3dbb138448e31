#include "crash/capture/HLYDwarf.h"

#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYSafeMemory.h"
#include "crash/capture/HLYThreadState.h"

#include <cstring>

namespace qlkit {
namespace {

constexpr std::uint64_t kAllOnes = ~std::uint64_t(0);
// No CIE or FDE comes near this; a larger length is damage.
constexpr std::uint64_t kLongestRecord = 1 << 20;
constexpr int kRememberDepth = 8;

template <class T>
T readRaw(HLYDwarfCursor* cursor)
{
    if (cursor->failed || !cursor->at || std::size_t(cursor->end - cursor->at) < sizeof(T)
        || cursor->at > cursor->end) {
        cursor->failed = true;
        return T {};
    }
    T value;
    std::memcpy(&value, cursor->at, sizeof value);
    cursor->at += sizeof value;
    return value;
}

// Seven bits a byte, low groups first. Up to ten bytes: enough for any
// 64-bit value, padded encodings included.
std::uint64_t readLEB128(HLYDwarfCursor* cursor, bool isSigned)
{
    std::uint64_t result = 0;
    unsigned shift = 0;
    for (int i = 0; i < 10; ++i) {
        const std::uint8_t byte = readRaw<std::uint8_t>(cursor);
        if (cursor->failed)
            return 0;
        if (shift < 64)
            result |= std::uint64_t(byte & 0x7F) << shift;
        shift += 7;
        if (!(byte & 0x80)) {
            if (isSigned && shift < 64 && (byte & 0x40))
                result |= kAllOnes << shift;
            return result;
        }
    }
    cursor->failed = true;
    return 0;
}

// Where a record's length field says it ends; false for a terminator or damage.
bool recordBounds(std::uintptr_t address, HLYDwarfCursor* cursor, std::uint64_t* length)
{
    HLYDwarfCursor header {reinterpret_cast<const std::uint8_t*>(address),
                           reinterpret_cast<const std::uint8_t*>(address) + 12, false};
    *length = HLYDwarfReadInitialLength(&header);
    if (header.failed || *length == 0 || *length > kLongestRecord)
        return false;
    cursor->at = header.at;
    cursor->end = header.at + *length;
    cursor->failed = false;
    return true;
}

bool validRegister(std::uint64_t number) { return number < kHLYDwarfRegisterCount; }

struct InstructionName {
    const char* function;
    const char* name;
};

InstructionName instructionName(std::uint8_t opcode)
{
    switch (opcode & 0xC0) {
    case 0x40: return {"HLYDwarfParseAndExecute_advance_loc", "DW_CFA_advance_loc"};
    case 0x80: return {"HLYDwarfParseAndExecute_offset", "DW_CFA_offset"};
    case 0xC0: return {"HLYDwarfParseAndExecute_restore", "DW_CFA_restore"};
    default: break;
    }
    switch (opcode) {
    case 0x00: return {"HLYDwarfParseAndExecute_nop", "DW_CFA_nop"};
    case 0x01: return {"HLYDwarfParseAndExecute_set_loc", "DW_CFA_set_loc"};
    case 0x02: return {"HLYDwarfParseAndExecute_advance_loc1", "DW_CFA_advance_loc1"};
    case 0x03: return {"HLYDwarfParseAndExecute_advance_loc2", "DW_CFA_advance_loc2"};
    case 0x04: return {"HLYDwarfParseAndExecute_advance_loc4", "DW_CFA_advance_loc4"};
    case 0x05: return {"HLYDwarfParseAndExecute_offset_extended", "DW_CFA_offset_extended"};
    case 0x06: return {"HLYDwarfParseAndExecute_restore_extended", "DW_CFA_restore_extended"};
    case 0x07: return {"HLYDwarfParseAndExecute_undefined", "DW_CFA_undefined"};
    case 0x08: return {"HLYDwarfParseAndExecute_same_value", "DW_CFA_same_value"};
    case 0x09: return {"HLYDwarfParseAndExecute_register", "DW_CFA_register"};
    case 0x0A: return {"HLYDwarfParseAndExecute_remember_state", "DW_CFA_remember_state"};
    case 0x0B: return {"HLYDwarfParseAndExecute_restore_state", "DW_CFA_restore_state"};
    case 0x0C: return {"HLYDwarfParseAndExecute_def_cfa", "DW_CFA_def_cfa"};
    case 0x0D: return {"HLYDwarfParseAndExecute_def_cfa_register", "DW_CFA_def_cfa_register"};
    case 0x0E: return {"HLYDwarfParseAndExecute_def_cfa_offset", "DW_CFA_def_cfa_offset"};
    case 0x0F: return {"HLYDwarfParseAndExecute_def_cfa_expression", "DW_CFA_def_cfa_expression"};
    case 0x10: return {"HLYDwarfParseAndExecute_expression", "DW_CFA_expression"};
    case 0x11: return {"HLYDwarfParseAndExecute_offset_extended_sf", "DW_CFA_offset_extended_sf"};
    case 0x12: return {"HLYDwarfParseAndExecute_def_cfa_sf", "DW_CFA_def_cfa_sf"};
    case 0x13: return {"HLYDwarfParseAndExecute_def_cfa_offset_sf", "DW_CFA_def_cfa_offset_sf"};
    case 0x16: return {"HLYDwarfParseAndExecute_val_expression", "DW_CFA_val_expression"};
    case 0x2E: return {"HLYDwarfParseAndExecute_GNU_args_size", "DW_CFA_GNU_args_size"};
    default: return {"HLYDwarfInstructionsEnumerate", "unknown"};
    }
}

bool instructionFailed(const char* line, std::uint32_t opcode)
{
    HLYSDKLog(line, "HLYDwarfParseAndExecuteInstructionWithOperand");
    HLYSDKLog("%s: Error: Failed to execute dwarf instruction %x\n", "HLYDwarfInstructionsEnumerate", opcode);
    return false;
}

void skipBlock(HLYDwarfCursor* cursor)
{
    const std::uint64_t length = HLYDwarfReadULEB128(cursor);
    if (cursor->failed || length > std::uint64_t(cursor->end - cursor->at)) {
        cursor->failed = true;
        return;
    }
    cursor->at += length;
}

bool readCFA(const HLYDwarfState* dwarf, const HLYThreadState* state, std::uint64_t* cfa)
{
    if (dwarf->cfaExpression || !validRegister(dwarf->cfaRegister)) {
        HLYSDKLog("%s: Error: failed to compute CFA expression\n", "HLYDwarfGetCFA");
        return false;
    }
    *cfa = HLYDwarfGetRegisterValue(state, dwarf->cfaRegister) + std::uint64_t(dwarf->cfaOffset);
    return true;
}

bool savedRegister(const HLYThreadState* old, std::uint64_t cfa, const HLYDwarfRule& rule, std::uint64_t* value)
{
    switch (rule.kind) {
    case HLYDwarfRuleSavedAtCFAOffset:
        if (!HLYReadWord(std::uintptr_t(cfa + rule.value), value)) {
            HLYSDKLog("%s: Error: Unable to read CFA value\n", "HLYDwarfGetSavedRegister");
            return false;
        }
        return true;
    case HLYDwarfRuleValueCFAOffset:
        HLYSDKLog("%s: Error: OffsetFromCFA unhandled\n", "HLYDwarfGetSavedRegister");
        return false;
    case HLYDwarfRuleInRegister:
        *value = HLYDwarfGetRegisterValue(old, rule.value);
        return true;
    case HLYDwarfRuleUndefined:
        *value = 0;
        return true;
    default:
        HLYSDKLog("%s: Error: unable to evaluate dwarf expression\n", "HLYDwarfGetSavedRegister");
        return false;
    }
}

} // namespace

std::uint8_t HLYDwarfReadU8(HLYDwarfCursor* cursor) { return readRaw<std::uint8_t>(cursor); }
std::uint16_t HLYDwarfReadU16(HLYDwarfCursor* cursor) { return readRaw<std::uint16_t>(cursor); }
std::int16_t HLYDwarfReadS16(HLYDwarfCursor* cursor) { return readRaw<std::int16_t>(cursor); }
std::uint32_t HLYDwarfReadU32(HLYDwarfCursor* cursor) { return readRaw<std::uint32_t>(cursor); }
std::int32_t HLYDwarfReadS32(HLYDwarfCursor* cursor) { return readRaw<std::int32_t>(cursor); }
std::uint64_t HLYDwarfReadU64(HLYDwarfCursor* cursor) { return readRaw<std::uint64_t>(cursor); }

std::uint64_t HLYDwarfReadULEB128(HLYDwarfCursor* cursor) { return readLEB128(cursor, false); }

std::int64_t HLYDwarfReadSLEB128(HLYDwarfCursor* cursor) { return std::int64_t(readLEB128(cursor, true)); }

std::uint64_t HLYDwarfReadInitialLength(HLYDwarfCursor* cursor)
{
    const std::uint32_t length = HLYDwarfReadU32(cursor);
    if (length == 0xFFFFFFFFu)
        return HLYDwarfReadU64(cursor);
    return length;
}

std::uint64_t HLYParseAddressWithEncodingAndAdvance(HLYDwarfCursor* cursor, std::uint8_t encoding,
                                                    std::uintptr_t dataBase)
{
    if (encoding == 0xFF)
        return 0;
    const auto fieldAddress = reinterpret_cast<std::uintptr_t>(cursor->at);
    std::uint64_t value = 0;
    switch (encoding & 0x0F) {
    case 0x00: value = HLYDwarfReadU64(cursor); break;
    case 0x01: value = HLYDwarfReadULEB128(cursor); break;
    case 0x02: value = HLYDwarfReadU16(cursor); break;
    case 0x03: value = HLYDwarfReadU32(cursor); break;
    case 0x04: value = HLYDwarfReadU64(cursor); break;
    case 0x09: value = std::uint64_t(HLYDwarfReadSLEB128(cursor)); break;
    case 0x0A: value = std::uint64_t(std::int64_t(HLYDwarfReadS16(cursor))); break;
    case 0x0B: value = std::uint64_t(std::int64_t(HLYDwarfReadS32(cursor))); break;
    case 0x0C: value = HLYDwarfReadU64(cursor); break;
    default:
        HLYSDKLog("%s: Unhandled: encoding 0x%x\n", "HLYParseAddressWithEncodingAndAdvance", unsigned(encoding));
        return kAllOnes;
    }
    if (cursor->failed)
        return kAllOnes;
    switch (encoding & 0x70) {
    case 0x00: break;
    case 0x10: value += fieldAddress; break;
    case 0x30:
        if (!dataBase) {
            HLYSDKLog("%s: Unhandled: relative encoding 0x%x\n", "HLYParseAddressWithEncodingAndAdvance",
                      unsigned(encoding));
            return kAllOnes;
        }
        value += dataBase;
        break;
    default:
        HLYSDKLog("%s: Unhandled: relative encoding 0x%x\n", "HLYParseAddressWithEncodingAndAdvance", unsigned(encoding));
        return kAllOnes;
    }
    if (encoding & 0x80) {
        if (value == 0)
            return kAllOnes;
        std::uint64_t target = 0;
        if (!HLYReadWord(std::uintptr_t(value), &target))
            return kAllOnes;
        value = target;
    }
    return value;
}

bool HLYDwarfParseCIERecord(HLYDwarfCIERecord* cie, std::uintptr_t address)
{
    if (!cie)
        return false;
    *cie = HLYDwarfCIERecord {};
    HLYDwarfCursor cursor;
    if (!recordBounds(address, &cursor, &cie->length)) {
        HLYSDKLog("%s: Error: CIE length invalid\n", "HLYDwarfParseCIERecord");
        return false;
    }
    if (HLYDwarfReadU32(&cursor) != 0)
        HLYSDKLog("%s: Error: CIE flag not found\n", "HLYDwarfParseCIERecord");
    cie->version = HLYDwarfReadU8(&cursor);
    if (cie->version != 1 && cie->version != 3) {
        HLYSDKLog("%s: Error: CIE version %u unsupported\n", "HLYDwarfParseCIERecord", unsigned(cie->version));
        return false;
    }
    cie->augmentation = reinterpret_cast<const char*>(cursor.at);
    while (!cursor.failed && HLYDwarfReadU8(&cursor) != 0) {
    }
    cie->codeAlignment = HLYDwarfReadULEB128(&cursor);
    cie->dataAlignment = HLYDwarfReadSLEB128(&cursor);
    cie->returnAddressRegister = cie->version == 1 ? HLYDwarfReadU8(&cursor) : HLYDwarfReadULEB128(&cursor);
    cie->fdeEncoding = 0;
    cie->lsdaEncoding = 0xFF;
    cie->personalityEncoding = 0xFF;
    if (cursor.failed)
        return false;
    if (cie->augmentation[0] != '\0') {
        if (cie->augmentation[0] != 'z') {
            HLYSDKLog("%s: Error: Unimplemented: augmentation string %s\n", "HLYDwarfParseAndProcessAugmentation",
                      cie->augmentation);
            return false;
        }
        const std::uint64_t dataLength = HLYDwarfReadULEB128(&cursor);
        if (cursor.failed || dataLength > std::uint64_t(cursor.end - cursor.at))
            return false;
        const std::uint8_t* dataEnd = cursor.at + dataLength;
        for (const char* entry = cie->augmentation + 1; *entry; ++entry) {
            switch (*entry) {
            case 'L': cie->lsdaEncoding = HLYDwarfReadU8(&cursor); break;
            case 'P':
                cie->personalityEncoding = HLYDwarfReadU8(&cursor);
                cie->personality = HLYParseAddressWithEncodingAndAdvance(&cursor, cie->personalityEncoding);
                if (cie->personality == kAllOnes) {
                    HLYSDKLog("%s: Error: Found an invalid start address\n", "HLYDwarfParseAndProcessAugmentation");
                    return false;
                }
                break;
            case 'R': cie->fdeEncoding = HLYDwarfReadU8(&cursor); break;
            case 'S': cie->signalFrame = true; break;
            default: {
                const char text[2] = {*entry, 0};
                HLYSDKLog("%s: Error: Unhandled augmentation string entry %s\n", "HLYDwarfParseAndProcessAugmentation",
                          text);
                return false;
            }
            }
            if (cursor.failed || cursor.at > dataEnd)
                return false;
        }
        cursor.at = dataEnd;
    }
    cie->instructions = cursor.at;
    cie->instructionsEnd = cursor.end;
    return !cursor.failed;
}

bool HLYDwarfParseFDERecord(HLYDwarfFDERecord* fde, bool parseCIE, HLYDwarfCIERecord* cie, std::uintptr_t address)
{
    if (!fde || !cie)
        return false;
    *fde = HLYDwarfFDERecord {};
    HLYDwarfCursor cursor;
    if (!recordBounds(address, &cursor, &fde->length)) {
        HLYSDKLog("%s: Error: FDE has zero length\n", "HLYDwarfParseFDERecord");
        return false;
    }
    const auto ciePointerField = reinterpret_cast<std::uintptr_t>(cursor.at);
    fde->ciePointer = HLYDwarfReadU32(&cursor);
    if (fde->ciePointer == 0) {
        HLYSDKLog("%s: Error: CIE offset invalid\n", "HLYDwarfParseFDERecord");
        return false;
    }
    if (parseCIE && !HLYDwarfParseCIERecord(cie, ciePointerField - fde->ciePointer)) {
        HLYSDKLog("%s: Error: Unable to parse CIE record\n", "HLYDwarfParseFDERecord");
        return false;
    }
    if (!HLYDwarfCIEIsValid(cie)) {
        HLYSDKLog("%s: Error: CIE invalid\n", "HLYDwarfParseFDERecord");
        return false;
    }
    fde->pcBegin = HLYParseAddressWithEncodingAndAdvance(&cursor, cie->fdeEncoding);
    if (fde->pcBegin == kAllOnes) {
        HLYSDKLog("%s: Error: Found an invalid start address\n", "HLYDwarfParseFDERecord");
        return false;
    }
    fde->pcRange = HLYParseAddressWithEncodingAndAdvance(&cursor, cie->fdeEncoding & 0x0F);
    if (fde->pcRange == kAllOnes) {
        HLYSDKLog("%s: Error: Found an invalid address range\n", "HLYDwarfParseFDERecord");
        return false;
    }
    if (HLYDwarfCIEHasAugmentationData(cie))
        skipBlock(&cursor);
    fde->instructions = cursor.at;
    fde->instructionsEnd = cursor.end;
    return !cursor.failed;
}

bool HLYDwarfFDEInit(HLYDwarfRecords* records, std::uintptr_t fdeAddress)
{
    if (!records)
        return false;
    return HLYDwarfParseFDERecord(&records->fde, true, &records->cie, fdeAddress);
}

bool HLYDwarfFDEInitWithOffset(HLYDwarfRecords* records, std::uintptr_t ehFrame, std::uint64_t offset)
{
    if (!ehFrame || offset == 0)
        return false;
    return HLYDwarfFDEInit(records, ehFrame + offset);
}

bool HLYDwarfCIEIsValid(const HLYDwarfCIERecord* cie)
{
    return cie && cie->length != 0 && (cie->version == 1 || cie->version == 3);
}

bool HLYDwarfCIEHasAugmentationData(const HLYDwarfCIERecord* cie)
{
    return cie && cie->augmentation && cie->augmentation[0] == 'z';
}

bool HLYDwarfInstructionsEnumerate(const std::uint8_t* instructions, const std::uint8_t* end,
                                   const HLYDwarfCIERecord* cie, HLYDwarfState* state, std::uint64_t pcLimit,
                                   const HLYDwarfState* initial, std::uint64_t pcBegin)
{
    if (!instructions || !end || instructions >= end)
        return true;
    HLYSDKLog("%s: Running instructions from %p to %p\n", "HLYDwarfInstructionsEnumerate", instructions, end);
    HLYDwarfState remembered[kRememberDepth];
    int rememberedCount = 0;
    HLYDwarfCursor cursor {instructions, end, false};
    std::uint64_t location = 0;
    const std::uint64_t codeAlignment = cie->codeAlignment;
    const std::int64_t dataAlignment = cie->dataAlignment;
    while (cursor.at < cursor.end) {
        const std::uint8_t opcode = HLYDwarfReadU8(&cursor);
        const std::uint8_t operand = opcode & 0x3F;
        std::uint64_t advance = 0;
        switch (opcode & 0xC0) {
        case 0x40: // advance_loc
            advance = operand * codeAlignment;
            break;
        case 0x80: { // offset
            const std::int64_t offset = std::int64_t(HLYDwarfReadULEB128(&cursor)) * dataAlignment;
            if (!validRegister(operand))
                return instructionFailed("%s: Error: Found an invalid DW_CFA_offset register number\n", opcode);
            state->rules[operand] = {HLYDwarfRuleSavedAtCFAOffset, std::uint64_t(offset)};
            break;
        }
        case 0xC0: // restore
            if (!validRegister(operand))
                return instructionFailed("%s: Error: Found an invalid DW_CFA_restore register number\n", opcode);
            state->rules[operand] = initial ? initial->rules[operand] : HLYDwarfRule {};
            break;
        default:
            switch (opcode) {
            case 0x00: // nop
                break;
            case 0x01: { // set_loc: an address; kept as an offset like the others
                const std::uint64_t address = HLYParseAddressWithEncodingAndAdvance(&cursor, cie->fdeEncoding);
                if (address < pcBegin)
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_set_loc address\n", opcode);
                if (address - pcBegin > location)
                    advance = address - pcBegin - location;
                break;
            }
            case 0x02: advance = HLYDwarfReadU8(&cursor) * codeAlignment; break;
            case 0x03: advance = HLYDwarfReadU16(&cursor) * codeAlignment; break;
            case 0x04: advance = HLYDwarfReadU32(&cursor) * codeAlignment; break;
            case 0x05:   // offset_extended
            case 0x11: { // offset_extended_sf
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                const std::int64_t factored = opcode == 0x05 ? std::int64_t(HLYDwarfReadULEB128(&cursor))
                                                             : HLYDwarfReadSLEB128(&cursor);
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_offset register number\n", opcode);
                state->rules[reg] = {HLYDwarfRuleSavedAtCFAOffset, std::uint64_t(factored * dataAlignment)};
                break;
            }
            case 0x06: { // restore_extended
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_restore register number\n", opcode);
                state->rules[reg] = initial ? initial->rules[reg] : HLYDwarfRule {};
                break;
            }
            case 0x07: { // undefined
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                if (validRegister(reg))
                    state->rules[reg] = {HLYDwarfRuleUndefined, 0};
                break; // other registers are none of the unwinder's business
            }
            case 0x08: { // same_value
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_same_value register number\n", opcode);
                state->rules[reg] = {HLYDwarfRuleUnchanged, 0};
                break;
            }
            case 0x09: { // register
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                const std::uint64_t source = HLYDwarfReadULEB128(&cursor);
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_register number\n", opcode);
                if (!validRegister(source))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_register value\n", opcode);
                state->rules[reg] = {HLYDwarfRuleInRegister, source};
                break;
            }
            case 0x0A: // remember_state
                if (rememberedCount == kRememberDepth)
                    return instructionFailed("%s: Error: DW_CFA_remember_state nested too deeply\n", opcode);
                remembered[rememberedCount++] = *state;
                break;
            case 0x0B: // restore_state
                if (rememberedCount == 0)
                    return instructionFailed("%s: Error: DW_CFA_restore_state without a remembered state\n", opcode);
                *state = remembered[--rememberedCount];
                break;
            case 0x0C:   // def_cfa
            case 0x12: { // def_cfa_sf
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                const std::int64_t offset = opcode == 0x0C ? std::int64_t(HLYDwarfReadULEB128(&cursor))
                                                           : HLYDwarfReadSLEB128(&cursor) * dataAlignment;
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_def_cfa register number\n", opcode);
                state->cfaRegister = reg;
                state->cfaOffset = offset;
                state->cfaExpression = nullptr;
                break;
            }
            case 0x0D: { // def_cfa_register
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                if (!validRegister(reg))
                    return instructionFailed("%s: Error: Found an invalid DW_CFA_def_cfa_register register number\n",
                                             opcode);
                state->cfaRegister = reg;
                state->cfaExpression = nullptr;
                break;
            }
            case 0x0E: // def_cfa_offset
                state->cfaOffset = std::int64_t(HLYDwarfReadULEB128(&cursor));
                break;
            case 0x13: // def_cfa_offset_sf
                state->cfaOffset = HLYDwarfReadSLEB128(&cursor) * dataAlignment;
                break;
            case 0x0F: // def_cfa_expression
                state->cfaRegister = kHLYDwarfCFAExpressionRegister;
                state->cfaExpression = cursor.at;
                skipBlock(&cursor);
                break;
            case 0x10:   // expression
            case 0x16: { // val_expression
                const std::uint64_t reg = HLYDwarfReadULEB128(&cursor);
                const auto expression = reinterpret_cast<std::uintptr_t>(cursor.at);
                skipBlock(&cursor);
                if (!validRegister(reg))
                    return instructionFailed(opcode == 0x10
                                                 ? "%s: Error: Found an invalid DW_CFA_expression register number\n"
                                                 : "%s: Error: Found an invalid DW_CFA_val_expression register number\n",
                                             opcode);
                state->rules[reg] = {opcode == 0x10 ? HLYDwarfRuleSavedAtExpression : HLYDwarfRuleValueExpression,
                                     expression};
                break;
            }
            case 0x2E: // GNU_args_size: the stack adjustment around calls, not needed to find the caller
                HLYDwarfReadULEB128(&cursor);
                break;
            case 0x14:
            case 0x15:
            case 0x2D:
            case 0x2F:
                HLYSDKLog("%s: Error: Unimplemented DWARF instruction %x\n", "HLYDwarfInstructionsEnumerate",
                          unsigned(opcode));
                return false;
            default:
                HLYSDKLog("%s: Error: Unrecognized DWARF instruction %x\n", "HLYDwarfInstructionsEnumerate",
                          unsigned(opcode));
                HLYSDKLog("%s: Error: Failed to execute dwarf instruction %x\n", "HLYDwarfInstructionsEnumerate",
                          unsigned(opcode));
                return false;
            }
        }
        if (cursor.failed) {
            HLYSDKLog("%s: Error: Failed to execute dwarf instruction %x\n", "HLYDwarfInstructionsEnumerate",
                      unsigned(opcode));
            return false;
        }
        location += advance;
        const InstructionName traced = instructionName(opcode);
        HLYSDKLog("%s: %s (0x%x), location %u\n", traced.function, traced.name, unsigned(opcode), unsigned(location));
        // The rules after an advance apply from the new location on: stop
        // once it lies beyond the pc, not when it reaches it.
        if (advance && location > pcLimit)
            return true;
    }
    return true;
}

HLYDwarfUnwindResult HLYDwarfUnwindComputeRegisters(const HLYDwarfRecords* records, HLYThreadState* state,
                                                    std::uint64_t lookupPC)
{
    const HLYDwarfCIERecord& cie = records->cie;
    const HLYDwarfFDERecord& fde = records->fde;
    HLYDwarfState initial {};
    if (!HLYDwarfInstructionsEnumerate(cie.instructions, cie.instructionsEnd, &cie, &initial, 0x7FFFFFFFFFFFFFFFull,
                                       nullptr, fde.pcBegin)) {
        HLYSDKLog("%s: Error: Unable to run CIE instructions\n", "HLYDwarfUnwindComputeRegisters");
        return HLYDwarfUnwindResult::Failed;
    }
    if (lookupPC < fde.pcBegin) {
        HLYSDKLog("%s: Error: The FDE pcOffset value cannot be negative\n", "HLYDwarfUnwindComputeRegisters");
        return HLYDwarfUnwindResult::Failed;
    }
    HLYDwarfState dwarf = initial;
    if (!HLYDwarfInstructionsEnumerate(fde.instructions, fde.instructionsEnd, &cie, &dwarf, lookupPC - fde.pcBegin,
                                       &initial, fde.pcBegin)) {
        HLYSDKLog("%s: Error: Unable to run FDE instructions\n", "HLYDwarfUnwindComputeRegisters");
        return HLYDwarfUnwindResult::Failed;
    }
    const std::uint64_t returnRegister = cie.returnAddressRegister;
    if (!validRegister(returnRegister))
        return HLYDwarfUnwindResult::Failed;
    if (dwarf.rules[returnRegister].kind == HLYDwarfRuleUndefined)
        return HLYDwarfUnwindResult::OutermostFrame;

    std::uint64_t cfa = 0;
    if (!readCFA(&dwarf, state, &cfa))
        return HLYDwarfUnwindResult::Failed;
    HLYThreadState next = *state;
    for (std::uint64_t reg = 0; reg < kHLYDwarfRegisterCount; ++reg) {
        if (dwarf.rules[reg].kind == HLYDwarfRuleUnchanged)
            continue;
        std::uint64_t value = 0;
        if (!savedRegister(state, cfa, dwarf.rules[reg], &value)) {
            HLYSDKLog("%s: Error: Unable to restore register value\n", "HLYDwarfUnwindComputeRegisters");
            return HLYDwarfUnwindResult::Failed;
        }
        HLYDwarfSetRegisterValue(&next, reg, value);
    }
    if (returnRegister != 16)
        next.rip = HLYDwarfGetRegisterValue(&next, returnRegister);
    next.rsp = cfa;
    if (next.rsp == state->rsp) {
        HLYSDKLog("%s: Error: Stack pointer hasn't changed\n", "HLYDwarfUnwindComputeRegisters");
        return HLYDwarfUnwindResult::Failed;
    }
    // A recursive function returns to the same address frame after frame;
    // only a pc that stays put while the stack does not grow is a loop.
    if (next.rip == state->rip && next.rsp < state->rsp) {
        HLYSDKLog("%s: Error: PC hasn't changed\n", "HLYDwarfUnwindComputeRegisters");
        return HLYDwarfUnwindResult::Failed;
    }
    *state = next;
    return HLYDwarfUnwindResult::Unwound;
}

std::uint64_t HLYDwarfGetRegisterValue(const HLYThreadState* state, std::uint64_t number)
{
    switch (number) {
    case 0: return state->rax;
    case 1: return state->rdx;
    case 2: return state->rcx;
    case 3: return state->rbx;
    case 4: return state->rsi;
    case 5: return state->rdi;
    case 6: return state->rbp;
    case 7: return state->rsp;
    case 8: return state->r8;
    case 9: return state->r9;
    case 10: return state->r10;
    case 11: return state->r11;
    case 12: return state->r12;
    case 13: return state->r13;
    case 14: return state->r14;
    case 15: return state->r15;
    case 16: return state->rip;
    default:
        HLYSDKLog("%s: Error: Unrecognized get register number %u\n", "HLYUnwindGetRegisterValue", unsigned(number));
        return 0;
    }
}

bool HLYDwarfSetRegisterValue(HLYThreadState* state, std::uint64_t number, std::uint64_t value)
{
    switch (number) {
    case 0: state->rax = value; return true;
    case 1: state->rdx = value; return true;
    case 2: state->rcx = value; return true;
    case 3: state->rbx = value; return true;
    case 4: state->rsi = value; return true;
    case 5: state->rdi = value; return true;
    case 6: state->rbp = value; return true;
    case 7: state->rsp = value; return true;
    case 8: state->r8 = value; return true;
    case 9: state->r9 = value; return true;
    case 10: state->r10 = value; return true;
    case 11: state->r11 = value; return true;
    case 12: state->r12 = value; return true;
    case 13: state->r13 = value; return true;
    case 14: state->r14 = value; return true;
    case 15: state->r15 = value; return true;
    case 16: state->rip = value; return true;
    default:
        HLYSDKLog("%s: Unrecognized set register number %u\n", "HLYUnwindSetRegisterValue", unsigned(number));
        return false;
    }
}

} // namespace qlkit
