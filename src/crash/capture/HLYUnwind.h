// Walking a thread's stack at crash time, one frame per call, from a copy of
// its registers: the call-frame information of the image holding the pc
// (found through its ".eh_frame_hdr"), else the frame-pointer chain, preceded
// on the very first step by a scan of the stack for a return address.
// Foreign memory is read only through the safe-read routine.
#pragma once

#include "crash/capture/HLYBinaryImageNode.h"
#include "crash/capture/HLYThreadState.h"

#include <cstdint>

namespace qlkit {

inline constexpr std::uint64_t kHLYUnwindMaxFrames = 512;

struct HLYUnwindContext {
    HLYThreadState state;
    std::uint64_t frameCount;
    // The pc is where the thread stopped (a signal context), not a return
    // address: it is looked up as it is, not as pc - 1.
    bool pcIsExact;
    bool reachedOutermostFrame;
    const HLYBinaryImageNode* images; // the table the pc is looked up in
    std::uint32_t imageCount;
};

// Starts at the given registers, looking images up in the capture core's table.
bool HLYUnwindInit(HLYUnwindContext* context, const HLYThreadState* state, bool pcIsExact);
bool HLYUnwindInitWithImages(HLYUnwindContext* context, const HLYThreadState* state, bool pcIsExact,
                             const HLYBinaryImageNode* images, std::uint32_t imageCount);
// One step; true when the context now describes a frame (the first call
// answers the thread's own pc). At most 512 frames.
bool HLYUnwindNextFrame(HLYUnwindContext* context);
std::uint64_t HLYUnwindGetPC(const HLYUnwindContext* context);
std::uint64_t HLYUnwindGetStackPointer(const HLYUnwindContext* context);
void HLYUnwindSetPC(HLYUnwindContext* context, std::uint64_t pc);
bool HLYUnwindContextIsValid(const HLYUnwindContext* context);

// The saved frame pointer and the return address above it.
bool HLYUnwindReadStack(std::uintptr_t address, std::uint64_t* pc, std::uint64_t* framePointer);
bool HLYUnwindWithFramePointer(HLYUnwindContext* context, bool firstStep);
// The first word from `from` up to (not including) `below` that points into
// a known image; the word at `from` is always looked at.
bool HLYUnwindScanStackForReturnAddress(const HLYUnwindContext* context, std::uintptr_t from, std::uintptr_t below,
                                        std::uint64_t* pc, std::uintptr_t* foundAt);
bool HLYUnwindWithStackScanning(HLYUnwindContext* context);

} // namespace qlkit
