// Binary image tracking. At set-up every loaded image gets a node in the
// writable context's table and a `load` line in binary_images.hlyrecord;
// HLYBinaryImageRefresh (run by a slow timer, and callable) writes what was
// loaded or unloaded since; at crash time the loader's list is walked with
// safe reads and images loaded since the last refresh are added.
#pragma once

#include "crash/capture/HLYBinaryImageNode.h"

#include <cstddef>
#include <cstdint>

namespace qlkit {

struct HLYFile;
struct RIGElfImage;

inline constexpr std::size_t kHLYBuildIDTextSize = 129; // up to 64 bytes as hex, and a zero

struct HLYBinaryImageDetails {
    char uuid[kHLYBuildIDTextSize]; // the GNU build-id in lower-case hex
    bool encrypted;                 // always false here
    std::uintptr_t base;
    std::uint64_t size;
    std::uintptr_t ehFrame;
    std::uintptr_t ehFrameHeader;
    std::uintptr_t crashInfo;
};

// Seconds between two refreshes of the table by the slow timer.
inline constexpr double kHLYBinaryImageRefreshInterval = 30.0;

void HLYBinaryImageInit();
// Stops the refresh, forgets the images seen and closes the record file.
void HLYBinaryImageDeinit();
bool HLYBinaryImageOpenIfNeeded(bool* opened);
void HLYBinaryImageClose();
bool HLYBinaryImageFillDetails(const RIGElfImage& image, HLYBinaryImageDetails* details);
void HLYBinaryImageStoreNode(bool loaded, const HLYBinaryImageDetails& details, const char* path);
void HLYBinaryImageRecordSlice(bool loaded, const HLYBinaryImageDetails& details, const char* path);
void HLYBinaryImageRecordDetails(HLYFile* file, const HLYBinaryImageDetails& details);
bool HLYBinaryImageRecordMainExecutable(HLYFile* file);
// False for 0 or before the context is initialised.
bool HLYBinaryImageForAddress(std::uintptr_t address, HLYBinaryImageNode* out);
bool HLYBinaryImageContainsAddress(std::uintptr_t address);
bool HLYBinaryImageHasUnwindInfo(const HLYBinaryImageNode& node);
bool HLYBinaryImageFindImageForUUID(const char* uuid, HLYBinaryImageDetails* out);
// Writes the images loaded and unloaded since the last look; waits for it.
void HLYBinaryImageRefresh();
// Crash time: images the loader lists that the table lacks get a node and
// a `load` line; nodes of images no longer listed are freed. Signal-safe.
void HLYBinaryImageRecordLoadedAtCrash();

} // namespace qlkit
