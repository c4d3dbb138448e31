// The unwinder against the C library's backtrace(3) on code built like
// optimised applications, its 512-frame cap, and its fallbacks.
#include "UnwindTargets.h"

#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYUnwind.h"
#include "sdk/ElfImage.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace qlkit;

namespace {

// The process's images, as the capture core's table holds them.
struct ImageTable {
    HLYBinaryImageNode nodes[kHLYBinaryImageNodeCount] {};
    std::uint32_t count = 0;

    ImageTable()
    {
        RIGElfEnumerateLoadedImages([this](const RIGElfImage& image, bool&) {
            HLYBinaryImageDetails details;
            if (count < kHLYBinaryImageNodeCount && HLYBinaryImageFillDetails(image, &details)) {
                nodes[count].base.store(details.base);
                nodes[count].size = details.size;
                nodes[count].ehFrame = details.ehFrame;
                nodes[count].ehFrameHeader = details.ehFrameHeader;
                ++count;
            }
        });
    }
};

std::vector<std::uint64_t> walk(const ImageTable& table, const HLYThreadState& state, bool pcIsExact)
{
    HLYUnwindContext context;
    HLYUnwindInitWithImages(&context, &state, pcIsExact, table.nodes, table.count);
    std::vector<std::uint64_t> frames;
    while (HLYUnwindNextFrame(&context))
        frames.push_back(HLYUnwindGetPC(&context));
    return frames;
}

// Walks the captured registers while the captured frames are still alive.
struct Walked {
    const ImageTable* table = nullptr;
    std::vector<std::uint64_t> frames;

    void attach(UnwindCapture* capture)
    {
        capture->walkData = this;
        capture->walk = [](UnwindCapture* into) {
            auto* self = static_cast<Walked*>(into->walkData);
            self->frames = walk(*self->table, HLYThreadStateFromRegisters(into->context.uc_mcontext.gregs), false);
        };
    }
};

// Our walk from the captured registers against backtrace(3) taken right
// after: the first entries differ (two call sites in one function, and a
// sanitised build adds its own backtrace wrapper), every return address above
// them must match.
void expectSameCallers(const UnwindCapture& capture, const std::vector<std::uint64_t>& ours)
{
    std::vector<std::uint64_t> reference;
    for (int i = 0; i < capture.backtraceCount; ++i)
        reference.push_back(reinterpret_cast<std::uint64_t>(capture.backtraceFrames[i]));
    ASSERT_GT(ours.size(), 3u);
    const auto caller = std::find(reference.begin(), reference.end(), ours[1]);
    ASSERT_NE(caller, reference.end()) << testing::PrintToString(ours) << "\n" << testing::PrintToString(reference);
    ASSERT_LE(caller - reference.begin(), 2);
    EXPECT_EQ(std::vector<std::uint64_t>(ours.begin() + 1, ours.end()), std::vector<std::uint64_t>(caller, reference.end()));
}

} // namespace

TEST(Unwind, MatchesBacktraceSixFramesDeepInOptimisedCode)
{
    const ImageTable table;
    Walked walked {&table, {}};
    auto capture = std::make_unique<UnwindCapture>();
    walked.attach(capture.get());
    unwindTargetSixDeep(capture.get());
    expectSameCallers(*capture, walked.frames);
}

TEST(Unwind, MatchesBacktraceThroughTheCLibraryFromASortComparator)
{
    const ImageTable table;
    Walked walked {&table, {}};
    auto capture = std::make_unique<UnwindCapture>();
    walked.attach(capture.get());
    unwindTargetInSortComparator(capture.get());
    expectSameCallers(*capture, walked.frames);
}

TEST(Unwind, StopsAt512Frames)
{
    const ImageTable table;
    Walked walked {&table, {}};
    auto capture = std::make_unique<UnwindCapture>();
    walked.attach(capture.get());
    unwindTargetRecurse(capture.get(), 600);
    const auto& frames = walked.frames;
    ASSERT_EQ(frames.size(), 512u);
    const auto offset = std::find(capture->backtraceFrames, capture->backtraceFrames + capture->backtraceCount,
                                  reinterpret_cast<void*>(frames[1]))
                        - capture->backtraceFrames;
    for (std::size_t i = 1; i < 512; ++i)
        EXPECT_EQ(frames[i], reinterpret_cast<std::uint64_t>(capture->backtraceFrames[i - 1 + offset])) << i;
}

TEST(Unwind, WithoutCallFrameInformationItScansTheStackThenFollowsFramePointers)
{
    const ImageTable table;
    const auto inImage = std::uint64_t(table.nodes[0].base.load()) + 16;
    // A pc in no known image: the first step scans the stack for a word that
    // points into an image.
    std::uint64_t stack[8] = {1, 2, inImage, 3, 0, 0, 0, 0};
    HLYThreadState state {};
    state.rip = 0x1000000;
    state.rsp = reinterpret_cast<std::uint64_t>(&stack[0]);
    state.rbp = reinterpret_cast<std::uint64_t>(&stack[6]);
    HLYUnwindContext context;
    HLYUnwindInitWithImages(&context, &state, true, table.nodes, table.count);
    ASSERT_TRUE(HLYUnwindNextFrame(&context));
    ASSERT_TRUE(HLYUnwindNextFrame(&context));
    EXPECT_EQ(HLYUnwindGetPC(&context), inImage);
    EXPECT_EQ(HLYUnwindGetStackPointer(&context), reinterpret_cast<std::uint64_t>(&stack[3]));

    // Later steps follow the frame-pointer chain: saved rbp, then the return
    // address; the caller's stack starts above both.
    std::uint64_t frame[4] = {0, 0x2000000, 0, 0};
    state.rip = 0x1000000;
    state.rsp = reinterpret_cast<std::uint64_t>(&stack[0]);
    state.rbp = reinterpret_cast<std::uint64_t>(&frame[0]);
    HLYUnwindInitWithImages(&context, &state, true, table.nodes, table.count);
    context.frameCount = 2; // past the first step
    ASSERT_TRUE(HLYUnwindNextFrame(&context));
    EXPECT_EQ(HLYUnwindGetPC(&context), 0x2000000u);
    EXPECT_EQ(HLYUnwindGetStackPointer(&context), reinterpret_cast<std::uint64_t>(&frame[2]));
    EXPECT_FALSE(HLYUnwindNextFrame(&context)); // rbp 0: the chain ends
}
