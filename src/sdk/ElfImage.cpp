#include "sdk/ElfImage.h"

#include "sdk/TextForms.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::int64_t kMinimumFileSize = 16;

bool inBounds(const RIGElfFile* file, std::uint64_t offset, std::uint64_t length)
{
    const auto size = std::uint64_t(file->size);
    return offset <= size && length <= size - offset;
}

// Copies out of the mapping so that unaligned headers in damaged files are safe.
template <class T>
bool readAt(const RIGElfFile* file, std::uint64_t offset, T* out)
{
    if (!file || !file->mapping || !inBounds(file, offset, sizeof(T)))
        return false;
    std::memcpy(out, file->mapping + offset, sizeof(T));
    return true;
}

bool header(const RIGElfFile* file, Elf64_Ehdr* out) { return readAt(file, 0, out); }

std::optional<std::string> stringAt(const RIGElfFile* file, std::uint64_t tableOffset, std::uint64_t tableSize,
                                    std::uint64_t index)
{
    if (index >= tableSize || !inBounds(file, tableOffset, tableSize))
        return std::nullopt;
    const char* start = reinterpret_cast<const char*>(file->mapping + tableOffset + index);
    const std::size_t limit = std::size_t(tableSize - index);
    const std::size_t length = strnlen(start, limit);
    if (length == limit)
        return std::nullopt; // unterminated
    return std::string(start, length);
}

std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
}

// Finds the GNU build-id in a note area of `size` bytes; `read` copies bytes
// at an offset of the area and fails outside it.
template <class Reader>
std::optional<std::string> buildIdInNotes(std::uint64_t size, std::uint64_t alignment, Reader read)
{
    alignment = alignment == 8 ? 8 : 4;
    std::uint64_t offset = 0;
    while (offset + sizeof(Elf64_Nhdr) <= size) {
        Elf64_Nhdr note;
        if (!read(offset, &note, sizeof note))
            return std::nullopt;
        const std::uint64_t nameOffset = offset + sizeof note;
        const std::uint64_t descOffset = nameOffset + alignUp(note.n_namesz, alignment);
        const std::uint64_t next = descOffset + alignUp(note.n_descsz, alignment);
        if (descOffset > size || note.n_descsz > size - descOffset || next <= offset)
            return std::nullopt;
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && note.n_descsz > 0 && note.n_descsz <= 64) {
            char name[4];
            std::string id(note.n_descsz, '\0');
            if (read(nameOffset, name, 4) && std::memcmp(name, "GNU", 4) == 0
                && read(descOffset, id.data(), id.size()))
                return id;
        }
        offset = next;
    }
    return std::nullopt;
}

std::optional<std::string> fileNotesBuildId(const RIGElfFile* file, std::uint64_t offset, std::uint64_t size,
                                            std::uint64_t alignment)
{
    if (!inBounds(file, offset, size))
        return std::nullopt;
    return buildIdInNotes(size, alignment, [&](std::uint64_t at, void* out, std::size_t length) {
        if (at > size || length > size - at)
            return false;
        std::memcpy(out, file->mapping + offset + at, length);
        return true;
    });
}

struct SectionTable {
    std::uint64_t offset = 0;
    std::uint16_t count = 0;
    std::uint64_t namesOffset = 0;
    std::uint64_t namesSize = 0;
};

std::optional<SectionTable> sectionTable(const RIGElfFile* file)
{
    Elf64_Ehdr ehdr;
    if (!header(file, &ehdr) || ehdr.e_shoff == 0 || ehdr.e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    if (!inBounds(file, ehdr.e_shoff, std::uint64_t(ehdr.e_shnum) * sizeof(Elf64_Shdr)))
        return std::nullopt;
    SectionTable table {ehdr.e_shoff, ehdr.e_shnum, 0, 0};
    Elf64_Shdr names;
    if (ehdr.e_shstrndx < ehdr.e_shnum
        && readAt(file, ehdr.e_shoff + std::uint64_t(ehdr.e_shstrndx) * sizeof(Elf64_Shdr), &names)
        && inBounds(file, names.sh_offset, names.sh_size)) {
        table.namesOffset = names.sh_offset;
        table.namesSize = names.sh_size;
    }
    return table;
}

RIGElfSection describeSection(const RIGElfFile* file, const SectionTable& table, const Elf64_Shdr& shdr)
{
    RIGElfSection section;
    section.name = stringAt(file, table.namesOffset, table.namesSize, shdr.sh_name).value_or("");
    section.type = shdr.sh_type;
    section.flags = shdr.sh_flags;
    section.address = shdr.sh_addr;
    section.offset = shdr.sh_offset;
    section.size = shdr.sh_size;
    section.entrySize = shdr.sh_entsize;
    section.link = shdr.sh_link;
    return section;
}

const Elf64_Phdr* phdrs(const RIGElfImage& image)
{
    return static_cast<const Elf64_Phdr*>(image.programHeaders);
}

} // namespace

bool RIGElfFileInitWithPath(RIGElfFile* file, const char* path)
{
    if (!file || !path)
        return false;
    *file = RIGElfFile {};
    // A report names its images: a pipe or a device named there must neither
    // hang the reader nor be mapped.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < kMinimumFileSize) {
        ::close(fd);
        return false;
    }
    void* mapping = ::mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    RIGElfFile candidate {fd, std::int64_t(status.st_size), static_cast<const std::uint8_t*>(mapping)};
    Elf64_Ehdr ehdr;
    const bool valid = header(&candidate, &ehdr) && std::memcmp(ehdr.e_ident, ELFMAG, SELFMAG) == 0
                       && ehdr.e_ident[EI_CLASS] == ELFCLASS64 && ehdr.e_ident[EI_DATA] == ELFDATA2LSB;
    if (!valid) {
        RIGElfFileDestroy(&candidate);
        return false;
    }
    *file = candidate;
    return true;
}

bool RIGElfFileInitWithCurrentExecutable(RIGElfFile* file)
{
    return RIGElfFileInitWithPath(file, "/proc/self/exe");
}

void RIGElfFileDestroy(RIGElfFile* file)
{
    if (!file)
        return;
    if (file->mapping && file->size > 0)
        ::munmap(const_cast<std::uint8_t*>(file->mapping), std::size_t(file->size));
    if (file->fd >= 0)
        ::close(file->fd);
    *file = RIGElfFile {};
}

const char* RIGElfFileGetArchitectureName(const RIGElfFile* file)
{
    Elf64_Ehdr ehdr;
    if (!header(file, &ehdr))
        return "unknown";
    switch (ehdr.e_machine) {
    case EM_X86_64: return "x86_64";
    case EM_AARCH64: return "arm64";
    case EM_386: return "i386";
    case EM_ARM: return "arm";
    default: return "unknown";
    }
}

std::optional<std::string> RIGElfFileGetBuildID(const RIGElfFile* file)
{
    Elf64_Ehdr ehdr;
    if (!header(file, &ehdr))
        return std::nullopt;
    if (ehdr.e_phentsize == sizeof(Elf64_Phdr)) {
        for (std::uint16_t i = 0; i < ehdr.e_phnum; ++i) {
            Elf64_Phdr phdr;
            if (!readAt(file, ehdr.e_phoff + std::uint64_t(i) * sizeof phdr, &phdr))
                break;
            if (phdr.p_type != PT_NOTE)
                continue;
            if (auto id = fileNotesBuildId(file, phdr.p_offset, phdr.p_filesz, phdr.p_align))
                return id;
        }
    }
    std::optional<std::string> found;
    RIGElfFileEnumerateSections(file, [&](const RIGElfSection& section, bool& stop) {
        if (section.type == SHT_NOTE && (found = fileNotesBuildId(file, section.offset, section.size, 4)))
            stop = true;
    });
    return found;
}

void RIGElfFileEnumerateSections(const RIGElfFile* file,
                                 const std::function<void(const RIGElfSection&, bool& stop)>& block)
{
    const auto table = sectionTable(file);
    if (!table || !block)
        return;
    bool stop = false;
    for (std::uint16_t i = 0; i < table->count && !stop; ++i) {
        Elf64_Shdr shdr;
        if (!readAt(file, table->offset + std::uint64_t(i) * sizeof shdr, &shdr))
            return;
        block(describeSection(file, *table, shdr), stop);
    }
}

std::optional<RIGElfSection> RIGElfFileFindSection(const RIGElfFile* file, const std::string& name)
{
    std::optional<RIGElfSection> found;
    RIGElfFileEnumerateSections(file, [&](const RIGElfSection& section, bool& stop) {
        if (section.name == name) {
            found = section;
            stop = true;
        }
    });
    return found;
}

void RIGElfFileEnumerateSymbols(const RIGElfFile* file,
                                const std::function<void(const RIGElfSymbol&, bool& stop)>& block)
{
    const auto table = sectionTable(file);
    if (!table || !block)
        return;
    bool stop = false;
    for (const char* tableName : {".symtab", ".dynsym"}) {
        const auto symbols = RIGElfFileFindSection(file, tableName);
        if (!symbols || symbols->entrySize != sizeof(Elf64_Sym) || !inBounds(file, symbols->offset, symbols->size))
            continue;
        Elf64_Shdr strings;
        if (symbols->link >= table->count
            || !readAt(file, table->offset + std::uint64_t(symbols->link) * sizeof strings, &strings))
            continue;
        const std::uint64_t count = symbols->size / sizeof(Elf64_Sym);
        for (std::uint64_t i = 0; i < count && !stop; ++i) {
            Elf64_Sym sym;
            if (!readAt(file, symbols->offset + i * sizeof sym, &sym))
                break;
            RIGElfSymbol symbol;
            symbol.name = stringAt(file, strings.sh_offset, strings.sh_size, sym.st_name).value_or("");
            symbol.value = sym.st_value;
            symbol.size = sym.st_size;
            symbol.type = ELF64_ST_TYPE(sym.st_info);
            symbol.binding = ELF64_ST_BIND(sym.st_info);
            symbol.sectionIndex = sym.st_shndx;
            block(symbol, stop);
        }
        if (stop)
            return;
    }
}

RIGElfImage RIGElfImageGetMainExecutable()
{
    RIGElfImage main;
    // The loader lists the main executable first.
    RIGElfEnumerateLoadedImages([&](const RIGElfImage& image, bool& stop) {
        main = image;
        stop = true;
    });
    return main;
}

void RIGElfEnumerateLoadedImages(const std::function<void(const RIGElfImage&, bool& stop)>& block)
{
    struct Context {
        const std::function<void(const RIGElfImage&, bool&)>* block;
        bool stop;
    } context {&block, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) -> int {
            auto* ctx = static_cast<Context*>(data);
            const RIGElfImage image {std::uintptr_t(info->dlpi_addr), info->dlpi_phdr, info->dlpi_phnum,
                                     info->dlpi_name ? info->dlpi_name : ""};
            (*ctx->block)(image, ctx->stop);
            return ctx->stop ? 1 : 0;
        },
        &context);
}

std::optional<std::string> RIGElfImageGetBuildID(const RIGElfImage& image)
{
    if (!image.programHeaders)
        return std::nullopt;
    for (std::uint16_t i = 0; i < image.programHeaderCount; ++i) {
        const Elf64_Phdr& phdr = phdrs(image)[i];
        if (phdr.p_type != PT_NOTE)
            continue;
        const auto* area = reinterpret_cast<const std::uint8_t*>(image.loadBias + phdr.p_vaddr);
        const std::uint64_t size = phdr.p_memsz;
        auto id = buildIdInNotes(size, phdr.p_align, [&](std::uint64_t at, void* out, std::size_t length) {
            if (at > size || length > size - at)
                return false;
            std::memcpy(out, area + at, length);
            return true;
        });
        if (id)
            return id;
    }
    return std::nullopt;
}

std::uintptr_t RIGElfImageGetEhFrameHdr(const RIGElfImage& image)
{
    if (!image.programHeaders)
        return 0;
    for (std::uint16_t i = 0; i < image.programHeaderCount; ++i)
        if (phdrs(image)[i].p_type == PT_GNU_EH_FRAME)
            return image.loadBias + phdrs(image)[i].p_vaddr;
    return 0;
}

bool RIGElfImageGetExecutableSpan(const RIGElfImage& image, std::uintptr_t* start, std::uintptr_t* end)
{
    if (!image.programHeaders || !start || !end)
        return false;
    bool found = false;
    for (std::uint16_t i = 0; i < image.programHeaderCount; ++i) {
        const Elf64_Phdr& phdr = phdrs(image)[i];
        if (phdr.p_type != PT_LOAD || !(phdr.p_flags & PF_X))
            continue;
        const std::uintptr_t low = image.loadBias + phdr.p_vaddr;
        const std::uintptr_t high = low + phdr.p_memsz;
        *start = found ? std::min(*start, low) : low;
        *end = found ? std::max(*end, high) : high;
        found = true;
    }
    return found;
}

std::string RIGElfFormatBuildID(const std::string& bytes)
{
    return RIGHexStringFromData(bytes);
}

} // namespace qlkit
