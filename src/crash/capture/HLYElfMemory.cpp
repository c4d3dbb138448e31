#include "crash/capture/HLYElfMemory.h"

#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYEhFrameHeader.h"
#include "crash/capture/HLYSafeMemory.h"

#include <cstring>
#include <elf.h>

namespace qlkit {
namespace {

constexpr std::uint16_t kMostProgramHeaders = 64;

std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

void formatBuildID(const std::uint8_t* bytes, std::size_t count, char* out)
{
    static const char digits[] = "0123456789abcdef";
    std::size_t i = 0;
    for (; i < count && 2 * i + 2 < kHLYBuildIDTextSize; ++i) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 0xF];
    }
    out[2 * i] = '\0';
}

void readBuildID(std::uintptr_t notes, std::uint64_t size, std::uint64_t alignment, char* out)
{
    alignment = alignment == 8 ? 8 : 4;
    std::uint64_t offset = 0;
    while (offset + sizeof(Elf64_Nhdr) <= size) {
        Elf64_Nhdr note {};
        if (!HLYReadMemory(notes + offset, &note, sizeof note))
            return;
        const std::uint64_t descOffset = offset + sizeof note + alignUp(note.n_namesz, alignment);
        const std::uint64_t next = descOffset + alignUp(note.n_descsz, alignment);
        if (next <= offset || next > size + alignment)
            return;
        char name[4] = {};
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && note.n_descsz > 0 && note.n_descsz <= 64
            && HLYReadMemory(notes + offset + sizeof note, name, 4) && std::memcmp(name, "GNU", 4) == 0) {
            std::uint8_t id[64];
            if (HLYReadMemory(notes + descOffset, id, note.n_descsz))
                formatBuildID(id, note.n_descsz, out);
            return;
        }
        offset = next;
    }
}

} // namespace

bool HLYElfMemoryReadDetails(std::uintptr_t bias, HLYBinaryImageDetails* details)
{
    Elf64_Ehdr header {};
    if (!details || !HLYReadMemory(bias, &header, sizeof header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_phentsize != sizeof(Elf64_Phdr)
        || header.e_phnum > kMostProgramHeaders)
        return false;
    std::memset(details, 0, sizeof *details);
    Elf64_Phdr headers[kMostProgramHeaders];
    if (!HLYReadMemory(bias + header.e_phoff, headers, header.e_phnum * sizeof(Elf64_Phdr)))
        return false;
    bool haveBase = false;
    std::uintptr_t executableEnd = 0;
    for (std::uint16_t i = 0; i < header.e_phnum; ++i) {
        const Elf64_Phdr& segment = headers[i];
        if (segment.p_type == PT_LOAD) {
            if (!haveBase) {
                details->base = bias + segment.p_vaddr - segment.p_offset;
                haveBase = true;
            }
            if (segment.p_flags & PF_X)
                executableEnd = bias + segment.p_vaddr + segment.p_memsz;
        } else if (segment.p_type == PT_GNU_EH_FRAME) {
            details->ehFrameHeader = bias + segment.p_vaddr;
        } else if (segment.p_type == PT_NOTE && !details->uuid[0]) {
            readBuildID(bias + segment.p_vaddr, segment.p_memsz, segment.p_align, details->uuid);
        }
    }
    if (!haveBase || executableEnd <= details->base)
        return false;
    details->size = executableEnd - details->base;
    if (details->ehFrameHeader) {
        std::uint8_t probe[32];
        // The header's fields are read directly by the unwinder; make sure
        // they are there before the node points at them.
        if (HLYReadMemory(details->ehFrameHeader, probe, sizeof probe))
            details->ehFrame = HLYEhFrameHeaderGetEhFrame(details->ehFrameHeader);
        else
            details->ehFrameHeader = 0;
    }
    return true;
}

} // namespace qlkit
