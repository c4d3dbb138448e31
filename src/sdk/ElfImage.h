// Reading executable images: ELF files on disk (mapped read-only, every read
// bounds-checked, so damaged files are refused rather than trusted) and the
// program headers of images the loader has already mapped into this process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qlkit {

struct RIGElfFile {
    int fd = -1;
    std::int64_t size = 0;
    const std::uint8_t* mapping = nullptr;
};

struct RIGElfSection {
    std::string name;
    std::uint32_t type = 0;
    std::uint64_t flags = 0;
    std::uint64_t address = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entrySize = 0;
    std::uint32_t link = 0;
};

struct RIGElfSymbol {
    std::string name;
    std::uint64_t value = 0;
    std::uint64_t size = 0;
    unsigned char type = 0;    // STT_*
    unsigned char binding = 0; // STB_*
    std::uint16_t sectionIndex = 0;
};

// A 64-bit little-endian ELF file of at least a full header; regular files only.
// On failure the descriptor is closed and the record left zeroed.
bool RIGElfFileInitWithPath(RIGElfFile* file, const char* path);
bool RIGElfFileInitWithCurrentExecutable(RIGElfFile* file);
void RIGElfFileDestroy(RIGElfFile* file);

// "x86_64", "arm64", "i386", "arm" or "unknown", from the header's machine.
const char* RIGElfFileGetArchitectureName(const RIGElfFile* file);
// The GNU build-id note's bytes, from the program headers or else the sections.
std::optional<std::string> RIGElfFileGetBuildID(const RIGElfFile* file);
// Walks the section headers; stop ends the walk.
void RIGElfFileEnumerateSections(const RIGElfFile* file,
                                 const std::function<void(const RIGElfSection&, bool& stop)>& block);
std::optional<RIGElfSection> RIGElfFileFindSection(const RIGElfFile* file, const std::string& name);
// Symbols of ".symtab" and ".dynsym", in that order.
void RIGElfFileEnumerateSymbols(const RIGElfFile* file,
                                const std::function<void(const RIGElfSymbol&, bool& stop)>& block);

// An image mapped by the loader.
struct RIGElfImage {
    std::uintptr_t loadBias = 0;
    const void* programHeaders = nullptr; // Elf64_Phdr array
    std::uint16_t programHeaderCount = 0;
    const char* path = nullptr;           // "" for the main executable, as the loader reports it
};

RIGElfImage RIGElfImageGetMainExecutable();
void RIGElfEnumerateLoadedImages(const std::function<void(const RIGElfImage&, bool& stop)>& block);
std::optional<std::string> RIGElfImageGetBuildID(const RIGElfImage& image);
// Address of the image's ".eh_frame_hdr" (its GNU_EH_FRAME segment), or 0.
std::uintptr_t RIGElfImageGetEhFrameHdr(const RIGElfImage& image);
// The span of the image's executable segments, [start, end).
bool RIGElfImageGetExecutableSpan(const RIGElfImage& image, std::uintptr_t* start, std::uintptr_t* end);

// Lower-case hexadecimal of an identifier's bytes.
std::string RIGElfFormatBuildID(const std::string& bytes);

} // namespace qlkit
