#include "crash/capture/HLYBinaryImage.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYEhFrameHeader.h"
#include "crash/capture/HLYElfMemory.h"
#include "crash/capture/HLYFile.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYSafeMemory.h"
#include "crash/capture/HLYUtilities.h"
#include "sdk/ElfImage.h"
#include "sdk/foundation/Dispatch.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <elf.h>
#include <link.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::uintptr_t kLowestPlausibleAddress = 4096;
// More entries than any process has; a longer list is a damaged one.
constexpr int kMostLoaderEntries = 4096;

// What the record file was told about each image, for unload lines and for
// telling what changed. Only touched on the binary-images queue.
struct KnownImage {
    std::string path;
    HLYBinaryImageDetails details;
};

std::map<std::uintptr_t, KnownImage>& knownImages()
{
    static auto* images = new std::map<std::uintptr_t, KnownImage>;
    return *images;
}

std::unique_ptr<DispatchTimer>& refreshTimer()
{
    static auto* timer = new std::unique_ptr<DispatchTimer>;
    return *timer;
}

const char* imagePath(const RIGElfImage& image)
{
    // The loader names the main program ""; its path was read at set-up.
    if (image.path && image.path[0])
        return image.path;
    const HLYContext* context = HLYContextShared();
    return context && context->mainExecutablePath ? context->mainExecutablePath : "";
}

struct LoadedImage {
    std::string path;
    HLYBinaryImageDetails details;
};

std::vector<LoadedImage> loadedImages()
{
    std::vector<LoadedImage> images;
    RIGElfEnumerateLoadedImages([&](const RIGElfImage& image, bool&) {
        LoadedImage loaded;
        if (HLYBinaryImageFillDetails(image, &loaded.details)) {
            loaded.path = imagePath(image);
            images.push_back(std::move(loaded));
        }
    });
    return images;
}

void refreshOnQueue()
{
    const auto current = loadedImages();
    auto& known = knownImages();
    std::map<std::uintptr_t, const LoadedImage*> byBase;
    for (const auto& image : current)
        byBase[image.details.base] = &image;
    for (auto it = known.begin(); it != known.end();) {
        if (byBase.count(it->first)) {
            ++it;
            continue;
        }
        const KnownImage gone = it->second;
        it = known.erase(it);
        HLYBinaryImageStoreNode(false, gone.details, gone.path.c_str());
    }
    for (const auto& image : current) {
        if (known.count(image.details.base))
            continue;
        known[image.details.base] = KnownImage {image.path, image.details};
        HLYBinaryImageStoreNode(true, image.details, image.path.c_str());
    }
}

HLYBinaryImageNode* nodes()
{
    HLYWritableContext* writable = HLYWritableContextShared();
    return writable ? writable->binaryImages : nullptr;
}

bool claimNode(HLYBinaryImageNode* table, bool loaded, const HLYBinaryImageDetails& details)
{
    const std::uintptr_t key = loaded ? 0 : details.base;
    const std::uintptr_t replacement = loaded ? details.base : 0;
    for (std::uint32_t i = 0; i < kHLYBinaryImageNodeCount; ++i) {
        HLYBinaryImageNode& node = table[i];
        std::uintptr_t expected = key;
        if (node.base.load() != key)
            continue;
        if (!node.base.compare_exchange_strong(expected, replacement)) {
            if (loaded)
                continue;
            HLYSDKLog("%s: Error: Failed to swap during image unload\n", "HLYBinaryImageStoreNode");
            return false;
        }
        node.size = loaded ? details.size : 0;
        node.ehFrame = loaded ? details.ehFrame : 0;
        node.ehFrameHeader = loaded ? details.ehFrameHeader : 0;
        node.crashInfo = loaded ? details.crashInfo : 0;
        return true;
    }
    HLYSDKLog("%s: Error: Unable to track a %s node %p\n", "HLYBinaryImageStoreNode", loaded ? "loaded" : "unloaded",
              reinterpret_cast<void*>(details.base));
    return false;
}

void writeImageLine(HLYFile* file, bool loaded, const HLYBinaryImageDetails& details, const char* path)
{
    HLYFileWriteSectionStart(file, loaded ? "load" : "unload");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryString(file, "path", path);
    HLYBinaryImageRecordDetails(file, details);
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
}

bool nodeWithBase(const HLYBinaryImageNode* table, std::uintptr_t base)
{
    for (std::uint32_t i = 0; i < kHLYBinaryImageNodeCount; ++i)
        if (table[i].base.load() == base)
            return true;
    return false;
}

} // namespace

bool HLYBinaryImageFindInTable(const HLYBinaryImageNode* table, std::uint32_t count, std::uintptr_t address,
                               HLYBinaryImageNode* out)
{
    if (!table || address == 0)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uintptr_t base = table[i].base.load(std::memory_order_acquire);
        if (base == 0 || address < base || address - base >= table[i].size)
            continue;
        if (out) {
            out->base.store(base);
            out->size = table[i].size;
            out->ehFrame = table[i].ehFrame;
            out->ehFrameHeader = table[i].ehFrameHeader;
            out->crashInfo = table[i].crashInfo;
        }
        return true;
    }
    return false;
}

void HLYBinaryImageInit()
{
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!writable)
        return;
    writable->binaryImageFile = HLYFile {};
    for (auto& node : writable->binaryImages) {
        node.base.store(0);
        node.size = node.ehFrame = node.ehFrameHeader = node.crashInfo = 0;
    }
    // The first burst: the table is filled on this thread and the lines are
    // on disk before set-up ends, so a crash right after start has them all.
    const auto images = loadedImages();
    for (const auto& image : images)
        claimNode(writable->binaryImages, true, image.details);
    const auto queue = HLYBinaryImagesQueue();
    queue->sync([&images] {
        const HLYContext* context = HLYContextShared();
        if (!HLYUnlinkIfExists(context->binaryImagePath))
            HLYSDKLog("%s: Unable to reset the binary image log file %s\n", "HLYBinaryImageInitBlock", HLYErrorText(errno));
        bool opened = false;
        if (!HLYBinaryImageOpenIfNeeded(&opened))
            HLYSDKLog("%s: Error: Unable to open the binary image log file during init\n", "HLYBinaryImageInitBlock");
        for (const auto& image : images) {
            knownImages()[image.details.base] = KnownImage {image.path, image.details};
            HLYBinaryImageRecordSlice(true, image.details, image.path.c_str());
        }
        HLYBinaryImageClose();
    });
    refreshTimer() = std::make_unique<DispatchTimer>(queue, kHLYBinaryImageRefreshInterval, true, refreshOnQueue);
}

void HLYBinaryImageDeinit()
{
    refreshTimer().reset();
    const auto forget = [] {
        knownImages().clear();
        HLYBinaryImageClose();
    };
    if (const auto queue = HLYBinaryImagesQueue())
        queue->sync(forget);
    else
        forget();
}

bool HLYBinaryImageOpenIfNeeded(bool* opened)
{
    const HLYContext* context = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!context || !writable || std::uintptr_t(opened) < kLowestPlausibleAddress)
        return false;
    if (HLYFileIsOpen(&writable->binaryImageFile))
        return true;
    if (!HLYFileInitWithPath(&writable->binaryImageFile, context->binaryImagePath, false)) {
        HLYSDKLog("%s: Error: unable to open binary image log file\n", "HLYBinaryImageOpenIfNeeded");
        return false;
    }
    *opened = true;
    return true;
}

void HLYBinaryImageClose()
{
    HLYWritableContext* writable = HLYWritableContextShared();
    if (writable)
        HLYFileClose(&writable->binaryImageFile);
}

bool HLYBinaryImageFillDetails(const RIGElfImage& image, HLYBinaryImageDetails* details)
{
    if (!details || !image.programHeaders)
        return false;
    std::memset(details, 0, sizeof *details);
    const auto* headers = static_cast<const Elf64_Phdr*>(image.programHeaders);
    bool haveBase = false;
    for (std::uint16_t i = 0; i < image.programHeaderCount && !haveBase; ++i) {
        if (headers[i].p_type == PT_LOAD) {
            details->base = image.loadBias + headers[i].p_vaddr - headers[i].p_offset;
            haveBase = true;
        }
    }
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    if (!haveBase || !RIGElfImageGetExecutableSpan(image, &start, &end) || end <= details->base)
        return false;
    details->size = end - details->base;
    details->ehFrameHeader = RIGElfImageGetEhFrameHdr(image);
    details->ehFrame = HLYEhFrameHeaderGetEhFrame(details->ehFrameHeader);
    if (const auto id = RIGElfImageGetBuildID(image)) {
        const std::string hex = RIGElfFormatBuildID(*id);
        std::strncpy(details->uuid, hex.c_str(), kHLYBuildIDTextSize - 1);
    }
    return true;
}

void HLYBinaryImageStoreNode(bool loaded, const HLYBinaryImageDetails& details, const char* path)
{
    HLYWritableContext* writable = HLYWritableContextShared();
    if (!writable)
        HLYSDKLog("%s: Error: Writable context is NULL\n", "HLYBinaryImageStoreNode");
    else
        claimNode(writable->binaryImages, loaded, details);
    if (const auto queue = HLYBinaryImagesQueue())
        queue->async([loaded, details, path = std::string(path ? path : "")] {
            HLYBinaryImageRecordSlice(loaded, details, path.c_str());
        });
}

void HLYBinaryImageRecordSlice(bool loaded, const HLYBinaryImageDetails& details, const char* path)
{
    bool opened = false;
    if (!HLYBinaryImageOpenIfNeeded(&opened)) {
        HLYSDKLog("%s: Error: unable to open binary image log file\n", "HLYBinaryImageRecordSlice");
        return;
    }
    HLYWritableContext* writable = HLYWritableContextShared();
    writeImageLine(&writable->binaryImageFile, loaded, details, path);
    if (opened)
        HLYBinaryImageClose();
}

void HLYBinaryImageRecordDetails(HLYFile* file, const HLYBinaryImageDetails& details)
{
    if (!HLYFileIsOpen(file)) {
        HLYSDKLog("%s: Error: file is invalid\n", "HLYBinaryImageRecordDetails");
        return;
    }
    HLYFileWriteHashEntryString(file, "uuid", details.uuid);
    HLYFileWriteHashEntryUInt64(file, "base", details.base);
    HLYFileWriteHashEntryUInt64(file, "size", details.size);
}

bool HLYBinaryImageRecordMainExecutable(HLYFile* file)
{
    HLYBinaryImageDetails details {};
    HLYBinaryImageFillDetails(RIGElfImageGetMainExecutable(), &details);
    RIGElfFile executable;
    const bool opened = RIGElfFileInitWithCurrentExecutable(&executable);
    HLYFileWriteSectionStart(file, "executable");
    HLYFileWriteHashStart(file);
    HLYFileWriteHashEntryString(file, "architecture", opened ? RIGElfFileGetArchitectureName(&executable) : "unknown");
    HLYFileWriteHashEntryString(file, "uuid", details.uuid);
    HLYFileWriteHashEntryUInt64(file, "base", details.base);
    HLYFileWriteHashEntryUInt64(file, "size", details.size);
    HLYFileWriteHashEntryBoolean(file, "encrypted", false);
    // ELF images carry no SDK version records.
    HLYFileWriteHashEntryNull(file, "minimum_sdk_version");
    HLYFileWriteHashEntryNull(file, "built_sdk_version");
    HLYFileWriteHashEnd(file);
    HLYFileWriteSectionEnd(file);
    if (opened)
        RIGElfFileDestroy(&executable);
    return true;
}

bool HLYBinaryImageForAddress(std::uintptr_t address, HLYBinaryImageNode* out)
{
    if (address == 0 || !HLYContextIsInitialized())
        return false;
    return HLYBinaryImageFindInTable(nodes(), kHLYBinaryImageNodeCount, address, out);
}

bool HLYBinaryImageContainsAddress(std::uintptr_t address) { return HLYBinaryImageForAddress(address, nullptr); }

bool HLYBinaryImageHasUnwindInfo(const HLYBinaryImageNode& node) { return node.ehFrameHeader != 0; }

bool HLYBinaryImageFindImageForUUID(const char* uuid, HLYBinaryImageDetails* out)
{
    if (!uuid || !out) {
        HLYSDKLog("%s: null input\n", "HLYBinaryImageFindImageForUUID");
        return false;
    }
    bool found = false;
    RIGElfEnumerateLoadedImages([&](const RIGElfImage& image, bool& stop) {
        HLYBinaryImageDetails details;
        if (HLYBinaryImageFillDetails(image, &details) && details.uuid[0] && std::strcmp(details.uuid, uuid) == 0) {
            *out = details;
            found = stop = true;
        }
    });
    return found;
}

void HLYBinaryImageRefresh()
{
    if (const auto queue = HLYBinaryImagesQueue()) {
        queue->sync(refreshOnQueue);
        queue->sync([] {}); // and the lines it queued
    }
}

void HLYBinaryImageRecordLoadedAtCrash()
{
    const HLYContext* context = HLYContextShared();
    HLYBinaryImageNode* table = nodes();
    if (!context || !table)
        return;
    std::uintptr_t live[kHLYBinaryImageNodeCount];
    std::uint32_t liveCount = 0;
    HLYFile file {};
    bool fileOpen = false;

    r_debug debug {};
    if (!HLYReadMemory(reinterpret_cast<std::uintptr_t>(&_r_debug), &debug, sizeof debug))
        return;
    auto entry = reinterpret_cast<std::uintptr_t>(debug.r_map);
    for (int steps = 0; entry && steps < kMostLoaderEntries; ++steps) {
        link_map map {};
        if (!HLYReadMemory(entry, &map, sizeof map))
            break;
        entry = reinterpret_cast<std::uintptr_t>(map.l_next);
        HLYBinaryImageDetails details;
        if (!HLYElfMemoryReadDetails(map.l_addr, &details))
            continue;
        if (liveCount < kHLYBinaryImageNodeCount)
            live[liveCount++] = details.base;
        if (nodeWithBase(table, details.base))
            continue;
        char path[PATH_MAX];
        if (!HLYReadString(reinterpret_cast<std::uintptr_t>(map.l_name), path, sizeof path))
            path[0] = '\0';
        claimNode(table, true, details);
        if (!fileOpen) {
            fileOpen = HLYFileInitWithPath(&file, context->binaryImagePath, false);
            // A line cut short by a thread stopped while writing it must not
            // swallow ours.
            struct stat status {};
            char last = '\n';
            if (fileOpen && fstat(file.descriptor, &status) == 0 && status.st_size > 0)
                pread(file.descriptor, &last, 1, status.st_size - 1);
            if (last != '\n')
                HLYFileWrite(&file, "\n", 1);
        }
        if (fileOpen)
            writeImageLine(&file, true, details, path[0] ? path : context->mainExecutablePath);
    }
    if (fileOpen)
        HLYFileClose(&file);
    if (liveCount == 0 || liveCount == kHLYBinaryImageNodeCount)
        return;
    // Images gone since the last refresh: their memory may be unmapped.
    for (std::uint32_t n = 0; n < kHLYBinaryImageNodeCount; ++n) {
        HLYBinaryImageNode& node = table[n];
        const std::uintptr_t base = node.base.load();
        bool isLive = base == 0;
        for (std::uint32_t i = 0; i < liveCount && !isLive; ++i)
            isLive = live[i] == base;
        if (!isLive)
            node.base.store(0);
    }
}

} // namespace qlkit
