// Call-frame information on hand-made records: the CFA rules, where the
// instructions stop, the state stack, the readers and the search table.
#include "crash/capture/HLYDwarf.h"
#include "crash/capture/HLYEhFrameHeader.h"
#include "crash/capture/HLYThreadState.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace qlkit;

namespace {

constexpr std::uint64_t kFunction = 0x400000;
constexpr std::uint64_t kLength = 0x100;

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

void put64(std::vector<std::uint8_t>& bytes, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

// A CIE ("zR", absolute 8-byte addresses, code alignment 1, data alignment
// -8, return address in register 16) followed by one FDE for kFunction.
struct Frames {
    std::vector<std::uint8_t> bytes;
    std::size_t fde = 0;

    Frames(const std::vector<std::uint8_t>& cieInstructions, const std::vector<std::uint8_t>& fdeInstructions)
    {
        std::vector<std::uint8_t> cie {0, 0, 0, 0, 1, 'z', 'R', 0, 1, 0x78, 16, 1, 0x00};
        cie.insert(cie.end(), cieInstructions.begin(), cieInstructions.end());
        while ((cie.size() + 4) % 8)
            cie.push_back(0); // DW_CFA_nop
        put32(bytes, std::uint32_t(cie.size()));
        bytes.insert(bytes.end(), cie.begin(), cie.end());
        fde = bytes.size();
        std::vector<std::uint8_t> body;
        put32(body, std::uint32_t(fde + 4)); // back to the CIE
        put64(body, kFunction);
        put64(body, kLength);
        body.push_back(0); // no augmentation data
        body.insert(body.end(), fdeInstructions.begin(), fdeInstructions.end());
        while ((body.size() + 4) % 8)
            body.push_back(0);
        put32(bytes, std::uint32_t(body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
        put32(bytes, 0); // terminator
    }

    HLYDwarfRecords records() const
    {
        HLYDwarfRecords parsed {};
        EXPECT_TRUE(HLYDwarfFDEInit(&parsed, reinterpret_cast<std::uintptr_t>(bytes.data() + fde)));
        return parsed;
    }
};

// Registers whose stack pointer points at `stack`.
HLYThreadState onStack(const std::uint64_t* stack)
{
    HLYThreadState state {};
    state.rsp = reinterpret_cast<std::uint64_t>(stack);
    state.rip = kFunction;
    return state;
}

std::uint64_t cfaAfter(const Frames& frames, std::uint64_t pcOffset, const std::uint64_t* stack)
{
    const auto records = frames.records();
    HLYThreadState state = onStack(stack);
    if (HLYDwarfUnwindComputeRegisters(&records, &state, kFunction + pcOffset) != HLYDwarfUnwindResult::Unwound)
        return 0;
    return state.rsp - reinterpret_cast<std::uint64_t>(stack);
}

} // namespace

TEST(Dwarf, TheCallersPCAndStackComeFromTheCFA)
{
    // def_cfa rsp, 16 after offset rip, -8
    const Frames frames({0x90, 0x01}, {0x0C, 7, 16});
    const auto records = frames.records();
    EXPECT_EQ(records.fde.pcBegin, kFunction);
    EXPECT_EQ(records.fde.pcRange, kLength);
    EXPECT_EQ(records.cie.returnAddressRegister, 16u);
    std::uint64_t stack[4] = {0, 0x123456789, 0, 0};
    HLYThreadState state = onStack(stack);
    ASSERT_EQ(HLYDwarfUnwindComputeRegisters(&records, &state, kFunction + 4), HLYDwarfUnwindResult::Unwound);
    EXPECT_EQ(state.rip, 0x123456789u);
    EXPECT_EQ(state.rsp, reinterpret_cast<std::uint64_t>(&stack[2]));
}

TEST(Dwarf, RulesApplyFromTheirLocationOnAndTheStateStackRestores)
{
    std::uint64_t stack[16] = {};
    for (auto& word : stack)
        word = 0xABCDEF;
    // def_cfa rsp, 8; advance 4; def_cfa_offset 32; remember; advance 2;
    // def_cfa_offset 64; advance 2; restore_state
    const Frames frames({0x0C, 7, 8, 0x90, 0x01},
                        {0x44, 0x0E, 32, 0x0A, 0x42, 0x0E, 64, 0x42, 0x0B});
    EXPECT_EQ(cfaAfter(frames, 3, stack), 8u);   // before the first advance
    EXPECT_EQ(cfaAfter(frames, 4, stack), 32u);  // at it: the rule applies already
    EXPECT_EQ(cfaAfter(frames, 6, stack), 64u);
    EXPECT_EQ(cfaAfter(frames, 8, stack), 32u);  // restored
    EXPECT_EQ(cfaAfter(frames, 200, stack), 32u);
}

TEST(Dwarf, SignedFactoredFormsRestoreAndUndefinedReturnAddress)
{
    std::uint64_t stack[8] = {0, 0, 0, 0x3333, 0x1111, 0x2222, 0, 0};
    // def_cfa_sf rsp, -6 (x -8 = 48); offset_extended_sf rbx, 2 (x -8 = -16);
    // GNU_args_size 8; offset_extended rbp, 3 (x -8 = -24)
    const Frames frames({0x12, 7, 0x7A, 0x90, 0x01}, {0x11, 3, 2, 0x2E, 8, 0x05, 6, 3, 0x41, 0xC3});
    auto records = frames.records();
    HLYThreadState state = onStack(stack);
    state.rbx = 7;
    ASSERT_EQ(HLYDwarfUnwindComputeRegisters(&records, &state, kFunction), HLYDwarfUnwindResult::Unwound);
    EXPECT_EQ(state.rsp, reinterpret_cast<std::uint64_t>(&stack[6]));
    EXPECT_EQ(state.rip, 0x2222u);
    EXPECT_EQ(state.rbx, 0x1111u);
    EXPECT_EQ(state.rbp, 0x3333u);
    // After "restore rbx" rbx is as the CIE left it: unchanged.
    state = onStack(stack);
    state.rbx = 7;
    ASSERT_EQ(HLYDwarfUnwindComputeRegisters(&records, &state, kFunction + 1), HLYDwarfUnwindResult::Unwound);
    EXPECT_EQ(state.rbx, 7u);

    const Frames outermost({0x0C, 7, 8, 0x90, 0x01}, {0x07, 16});
    records = outermost.records();
    state = onStack(stack);
    EXPECT_EQ(HLYDwarfUnwindComputeRegisters(&records, &state, kFunction), HLYDwarfUnwindResult::OutermostFrame);

    // A frame that would not move the stack fails rather than loop.
    const Frames stuck({0x0C, 7, 0, 0x90, 0x01}, {});
    records = stuck.records();
    state = onStack(stack);
    EXPECT_EQ(HLYDwarfUnwindComputeRegisters(&records, &state, kFunction), HLYDwarfUnwindResult::Failed);
}

TEST(Dwarf, ReadersDecodeLEB128LengthsAndPointerEncodings)
{
    auto cursorOver = [](const std::vector<std::uint8_t>& bytes) {
        return HLYDwarfCursor {bytes.data(), bytes.data() + bytes.size(), false};
    };
    const std::vector<std::uint8_t> unsignedBytes {0xE5, 0x8E, 0x26};
    auto cursor = cursorOver(unsignedBytes);
    EXPECT_EQ(HLYDwarfReadULEB128(&cursor), 624485u);
    const std::vector<std::uint8_t> signedBytes {0xC0, 0xBB, 0x78};
    cursor = cursorOver(signedBytes);
    EXPECT_EQ(HLYDwarfReadSLEB128(&cursor), -123456);
    const std::vector<std::uint8_t> largest {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
    cursor = cursorOver(largest);
    EXPECT_EQ(HLYDwarfReadULEB128(&cursor), UINT64_MAX);
    EXPECT_EQ(cursor.at, largest.data() + largest.size());
    const std::vector<std::uint8_t> cut {0x80, 0x80};
    cursor = cursorOver(cut);
    HLYDwarfReadULEB128(&cursor);
    EXPECT_TRUE(cursor.failed);

    const std::vector<std::uint8_t> longLength {0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0, 0, 0, 0, 0};
    cursor = cursorOver(longLength);
    EXPECT_EQ(HLYDwarfReadInitialLength(&cursor), 16u);

    const std::vector<std::uint8_t> relative {0xF0, 0xFF, 0xFF, 0xFF}; // -16
    cursor = cursorOver(relative);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0x1B), reinterpret_cast<std::uint64_t>(relative.data()) - 16);
    cursor = cursorOver(relative);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0x3B, 0x1000), 0x1000u - 16);
    cursor = cursorOver(relative);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0x3B), UINT64_MAX); // no data base known
    cursor = cursorOver(relative);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0x02), 0xFFF0u);
    cursor = cursorOver(relative);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0xFF), 0u);

    std::uint64_t target = 0x5555;
    std::vector<std::uint8_t> indirect;
    put64(indirect, reinterpret_cast<std::uint64_t>(&target));
    cursor = cursorOver(indirect);
    EXPECT_EQ(HLYParseAddressWithEncodingAndAdvance(&cursor, 0x80), 0x5555u);
}

TEST(Dwarf, TheSearchTableFindsTheLastFunctionStartingAtOrBeforeThePC)
{
    // version, eh_frame_ptr (pcrel sdata4), count (udata4), table (datarel sdata4)
    std::vector<std::uint8_t> header {1, 0x1B, 0x03, 0x3B};
    put32(header, 0x40);
    put32(header, 3);
    const std::int32_t starts[3] = {0x100, 0x200, 0x300};
    for (int i = 0; i < 3; ++i) {
        put32(header, std::uint32_t(starts[i]));
        put32(header, std::uint32_t(0x1000 + i * 0x10));
    }
    const auto base = reinterpret_cast<std::uintptr_t>(header.data());
    EXPECT_EQ(HLYEhFrameHeaderGetEhFrame(base), base + 4 + 0x40);
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0xFF), 0u);
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0x100), base + 0x1000);
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0x2FF), base + 0x1010);
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0x300), base + 0x1020);
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0x9999), base + 0x1020);
    header[3] = 0x03; // a table the search cannot use
    EXPECT_EQ(HLYEhFrameHeaderFindFDE(base, base + 0x200), 0u);
}
