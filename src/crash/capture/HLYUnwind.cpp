#include "crash/capture/HLYUnwind.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYDwarf.h"
#include "crash/capture/HLYEhFrameHeader.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYSafeMemory.h"

namespace qlkit {
namespace {

constexpr std::uint64_t kLowestPlausibleAddress = 4096;

const void* asPointer(std::uint64_t value) { return reinterpret_cast<const void*>(std::uintptr_t(value)); }

enum class StepResult { Failed, Unwound, OutermostFrame };

StepResult unwindWithCallFrameInformation(HLYUnwindContext* context, std::uint64_t lookupPC)
{
    HLYBinaryImageNode node {};
    if (!HLYBinaryImageFindInTable(context->images, context->imageCount, std::uintptr_t(lookupPC), &node)) {
        HLYSDKLog("%s: Unable to find binary for %p\n", "HLYUnwindWithCompactUnwindInfo", asPointer(lookupPC));
        return StepResult::Failed;
    }
    if (!node.ehFrameHeader) {
        HLYSDKLog("%s: Binary image at %p has no unwind info\n", "HLYUnwindWithCompactUnwindInfo",
                  asPointer(node.base.load()));
        return StepResult::Failed;
    }
    const std::uintptr_t fdeAddress = HLYEhFrameHeaderFindFDE(node.ehFrameHeader, std::uintptr_t(lookupPC));
    HLYDwarfRecords records {};
    if (!fdeAddress || !HLYDwarfFDEInit(&records, fdeAddress)) {
        HLYSDKLog("%s: Unable to lookup compact unwind for pc %p\n", "HLYCompactUnwindLookupAndCompute",
                  asPointer(lookupPC));
        return StepResult::Failed;
    }
    if (lookupPC < records.fde.pcBegin || lookupPC - records.fde.pcBegin >= records.fde.pcRange) {
        HLYSDKLog("%s: PC does not match computed function range\n", "HLYCompactUnwindLookupAndCompute");
        return StepResult::Failed;
    }
    switch (HLYDwarfUnwindComputeRegisters(&records, &context->state, lookupPC)) {
    case HLYDwarfUnwindResult::Unwound:
        context->pcIsExact = records.cie.signalFrame;
        return StepResult::Unwound;
    case HLYDwarfUnwindResult::OutermostFrame:
        return StepResult::OutermostFrame;
    case HLYDwarfUnwindResult::Failed:
        break;
    }
    HLYSDKLog("%s: Error: failed to compute registers\n", "HLYCompactUnwindLookupAndCompute");
    return StepResult::Failed;
}

} // namespace

bool HLYUnwindInit(HLYUnwindContext* context, const HLYThreadState* state, bool pcIsExact)
{
    const HLYWritableContext* writable = HLYWritableContextShared();
    return HLYUnwindInitWithImages(context, state, pcIsExact, writable ? writable->binaryImages : nullptr,
                                   writable ? kHLYBinaryImageNodeCount : 0);
}

bool HLYUnwindInitWithImages(HLYUnwindContext* context, const HLYThreadState* state, bool pcIsExact,
                             const HLYBinaryImageNode* images, std::uint32_t imageCount)
{
    if (!context)
        return false;
    *context = HLYUnwindContext {};
    if (state)
        context->state = *state;
    context->pcIsExact = pcIsExact;
    context->images = images;
    context->imageCount = images ? imageCount : 0;
    return true;
}

bool HLYUnwindNextFrame(HLYUnwindContext* context)
{
    if (!context) {
        HLYSDKLog("%s: Error: invalid inputs\n", "HLYUnwindNextFrame");
        return false;
    }
    if (context->reachedOutermostFrame)
        return false;
    if (context->state.rip < kLowestPlausibleAddress || context->state.rsp < kLowestPlausibleAddress) {
        HLYSDKLog(context->frameCount == 0 ? "%s: Cancelling unwind for thread with invalid PC/SP\n"
                                           : "%s: Error: thread PC/SP invalid before unwind\n",
                  "HLYUnwindNextFrame");
        return false;
    }
    if (context->frameCount >= kHLYUnwindMaxFrames) {
        HLYSDKLog("%s: Error: failed to advance to the next frame\n", "HLYUnwindNextFrame");
        return false;
    }
    if (context->frameCount == 0) {
        context->frameCount = 1;
        return true;
    }
    // A return address is looked up as the call before it; a pc where the
    // thread stopped is itself the instruction.
    const std::uint64_t lookupPC = context->pcIsExact ? context->state.rip : context->state.rip - 1;
    if (lookupPC < kLowestPlausibleAddress) {
        HLYSDKLog("%s: Error: failed to advance to the next frame\n", "HLYUnwindNextFrame");
        return false;
    }
    switch (unwindWithCallFrameInformation(context, lookupPC)) {
    case StepResult::Unwound:
        break;
    case StepResult::OutermostFrame:
        context->reachedOutermostFrame = true;
        return false;
    case StepResult::Failed:
        if (!HLYUnwindWithFramePointer(context, context->frameCount == 1)) {
            HLYSDKLog("%s: Error: Unable to use frame pointer\n", "HLYUnwindNextFrameUsingAllStrategies");
            HLYSDKLog("%s: Error: failed to advance to the next frame\n", "HLYUnwindNextFrame");
            return false;
        }
        context->pcIsExact = false;
        break;
    }
    if (context->state.rip < kLowestPlausibleAddress)
        return false; // the end of the stack
    if (context->state.rsp < kLowestPlausibleAddress) {
        HLYSDKLog("%s: Error: SP (%p) isn't a valid pointer\n", "HLYUnwindNextFrame", asPointer(context->state.rsp));
        return false;
    }
    ++context->frameCount;
    return true;
}

std::uint64_t HLYUnwindGetPC(const HLYUnwindContext* context) { return context ? context->state.rip : 0; }

std::uint64_t HLYUnwindGetStackPointer(const HLYUnwindContext* context) { return context ? context->state.rsp : 0; }

void HLYUnwindSetPC(HLYUnwindContext* context, std::uint64_t pc)
{
    if (context)
        context->state.rip = pc;
}

bool HLYUnwindContextIsValid(const HLYUnwindContext* context)
{
    return context && context->state.rip >= kLowestPlausibleAddress && context->state.rsp >= kLowestPlausibleAddress;
}

bool HLYUnwindReadStack(std::uintptr_t address, std::uint64_t* pc, std::uint64_t* framePointer)
{
    std::uint64_t words[2] = {0, 0};
    if (!HLYReadMemory(address, words, sizeof words)) {
        HLYSDKLog("%s: Error: failed to read memory\n", "HLYUnwindReadStack");
        return false;
    }
    *framePointer = words[0];
    *pc = words[1];
    return true;
}

bool HLYUnwindScanStackForReturnAddress(const HLYUnwindContext* context, std::uintptr_t from, std::uintptr_t below,
                                        std::uint64_t* pc, std::uintptr_t* foundAt)
{
    for (std::uintptr_t at = from; at == from || at < below; at += 8) {
        if (at < kLowestPlausibleAddress)
            continue;
        std::uint64_t word = 0;
        if (!HLYReadWord(at, &word))
            return false;
        if (HLYBinaryImageFindInTable(context->images, context->imageCount, std::uintptr_t(word), nullptr)) {
            *pc = word;
            *foundAt = at;
            return true;
        }
    }
    return false;
}

bool HLYUnwindWithStackScanning(HLYUnwindContext* context)
{
    std::uint64_t pc = 0;
    std::uintptr_t foundAt = 0;
    if (!HLYUnwindScanStackForReturnAddress(context, std::uintptr_t(context->state.rsp),
                                            std::uintptr_t(context->state.rbp), &pc, &foundAt))
        return false;
    context->state.rip = pc;
    // The word was a return address: the caller's stack starts above it.
    context->state.rsp = foundAt + 8;
    return true;
}

bool HLYUnwindWithFramePointer(HLYUnwindContext* context, bool firstStep)
{
    if (firstStep) {
        HLYSDKLog("%s: Attempting stack scan\n", "HLYUnwindWithFramePointer");
        if (HLYUnwindWithStackScanning(context)) {
            HLYSDKLog("%s: Stack scan successful\n", "HLYUnwindWithFramePointer");
            return true;
        }
    }
    const std::uint64_t framePointer = context->state.rbp;
    std::uint64_t pc = 0;
    std::uint64_t savedFramePointer = 0;
    if (!HLYUnwindReadStack(std::uintptr_t(framePointer), &pc, &savedFramePointer))
        return false;
    context->state.rip = pc;
    context->state.rbp = savedFramePointer;
    // Above the saved frame pointer and the return address.
    context->state.rsp = framePointer + 16;
    return true;
}

} // namespace qlkit
