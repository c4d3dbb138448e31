#include "crash/processing/HLYSymbolResolver.h"

#include "crash/capture/HLYFile.h"
#include "sdk/ElfImage.h"
#include "sdk/foundation/Log.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>

namespace qlkit {
namespace {

std::optional<std::uint64_t> unsignedMember(const Map& map, const char* key)
{
    const Value* value = map.find(key);
    if (!value || value->isNull())
        return std::nullopt;
    if (const auto* integer = value->asInt())
        return std::uint64_t(*integer);
    if (const auto number = value->numberValue())
        return std::uint64_t(*number);
    return std::nullopt;
}

std::optional<std::string> textMember(const Map& map, const char* key)
{
    const Value* value = map.find(key);
    return value && value->asString() ? std::optional<std::string>(*value->asString()) : std::nullopt;
}

std::string lastPathComponent(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The address the file places its first byte at: the segment that maps file
// offset 0 holds the ELF header, which is where the record's base points.
std::optional<std::uint64_t> headerAddress(const RIGElfFile& file)
{
    if (std::uint64_t(file.size) < sizeof(Elf64_Ehdr))
        return std::nullopt;
    Elf64_Ehdr header;
    std::memcpy(&header, file.mapping, sizeof header);
    for (std::uint16_t i = 0; i < header.e_phnum; ++i) {
        const std::uint64_t at = header.e_phoff + std::uint64_t(i) * sizeof(Elf64_Phdr);
        if (at + sizeof(Elf64_Phdr) > std::uint64_t(file.size))
            return std::nullopt;
        Elf64_Phdr segment;
        std::memcpy(&segment, file.mapping + at, sizeof segment);
        if (segment.p_type == PT_LOAD && segment.p_offset == 0)
            return segment.p_vaddr;
    }
    return std::nullopt;
}

} // namespace

struct HLYSymbolResolver::ImageSymbols {
    struct Symbol {
        std::uint64_t start;
        std::uint64_t size;
        std::string name;
    };
    std::uint64_t headerAddress = 0;
    std::vector<Symbol> symbols; // sorted by start

    // The symbol whose extent holds the address.
    const Symbol* containing(std::uint64_t address) const
    {
        auto it = std::upper_bound(symbols.begin(), symbols.end(), address,
                                   [](std::uint64_t a, const Symbol& s) { return a < s.start; });
        while (it != symbols.begin()) {
            --it;
            if (address - it->start < it->size)
                return &*it;
            if (address - it->start > (1u << 24))
                break; // far past any plausible function
        }
        return nullptr;
    }
};

HLYSymbolResolver::HLYSymbolResolver() = default;
HLYSymbolResolver::~HLYSymbolResolver() = default;

bool HLYSymbolResolver::loadBinaryImagesFromFile(const std::filesystem::path& path)
{
    if (path.empty())
        return false;
    const auto lines = HLYFileReadSections(path.c_str(), false);
    if (!lines || lines->empty()) {
        log::always("[Halyard:Crash:SymbolResolver] failed to read binary image file " + path.string());
        return false;
    }
    m_binaryImages.clear();
    for (const Value& line : *lines) {
        const Map* map = line.asMap();
        const Value* load = map ? map->find("load") : nullptr;
        if (!load || !load->asMap())
            continue;
        const Map& image = *load->asMap();
        if (unsignedMember(image, "base") && unsignedMember(image, "size"))
            m_binaryImages.push_back(image);
    }
    std::stable_sort(m_binaryImages.begin(), m_binaryImages.end(), [](const Map& a, const Map& b) {
        return *unsignedMember(a, "base") < *unsignedMember(b, "base");
    });
    return true;
}

const Map* HLYSymbolResolver::loadedBinaryImageForPC(std::uint64_t pc) const
{
    for (const Map& image : m_binaryImages) {
        const std::uint64_t base = *unsignedMember(image, "base");
        const std::uint64_t size = *unsignedMember(image, "size");
        if (base <= pc && pc - base < size)
            return &image;
    }
    return nullptr;
}

bool HLYSymbolResolver::fillInImageDetails(HLYBinaryImageDetails* details, const std::optional<std::string>& uuid) const
{
    if (!details || !uuid)
        return false;
    return HLYBinaryImageFindImageForUUID(uuid->c_str(), details);
}

const HLYSymbolResolver::ImageSymbols* HLYSymbolResolver::symbolsFor(const std::string& path, const std::string& uuid)
{
    const std::string key = uuid + "\n" + path;
    if (const auto found = m_symbols.find(key); found != m_symbols.end())
        return found->second.get();
    std::unique_ptr<ImageSymbols> symbols;
    RIGElfFile file;
    if (!path.empty() && RIGElfFileInitWithPath(&file, path.c_str())) {
        const auto buildID = RIGElfFileGetBuildID(&file);
        const auto header = headerAddress(file);
        // A file rebuilt since the crash would name the wrong functions.
        if (buildID && RIGElfFormatBuildID(*buildID) == uuid && header) {
            symbols = std::make_unique<ImageSymbols>();
            symbols->headerAddress = *header;
            RIGElfFileEnumerateSymbols(&file, [&](const RIGElfSymbol& symbol, bool&) {
                if ((symbol.type != STT_FUNC && symbol.type != STT_GNU_IFUNC) || symbol.size == 0 || symbol.value == 0
                    || symbol.name.empty() || symbol.sectionIndex == SHN_UNDEF)
                    return;
                symbols->symbols.push_back({symbol.value, symbol.size, symbol.name});
            });
            // ".symtab" entries come before ".dynsym" ones and win ties.
            std::stable_sort(symbols->symbols.begin(), symbols->symbols.end(),
                             [](const auto& a, const auto& b) { return a.start < b.start; });
        }
        RIGElfFileDestroy(&file);
    }
    return m_symbols.emplace(key, std::move(symbols)).first->second.get();
}

bool HLYSymbolResolver::updateFromFile(HLYStackFrame& frame, const Map& image, bool returnAddress)
{
    const auto uuid = textMember(image, "uuid");
    const auto path = textMember(image, "path");
    if (!uuid || !path)
        return false;
    const ImageSymbols* symbols = symbolsFor(*path, *uuid);
    if (!symbols)
        return false;
    std::uint64_t address = frame.address - *unsignedMember(image, "base") + symbols->headerAddress;
    const auto* symbol = symbols->containing(address);
    if (symbol && returnAddress && address == symbol->start) {
        address -= 2;
        symbol = symbols->containing(address);
    }
    if (symbol) {
        frame.symbol = symbol->name;
        frame.offset = address - symbol->start;
    } else {
        frame.symbol.reset();
    }
    frame.library = lastPathComponent(*path);
    return true;
}

bool HLYSymbolResolver::updateFromLoader(HLYStackFrame& frame, const Map& image, bool returnAddress) const
{
    HLYBinaryImageDetails details {};
    if (!fillInImageDetails(&details, textMember(image, "uuid")))
        return false;
    std::uint64_t local = details.base + (frame.address - *unsignedMember(image, "base"));
    Dl_info info {};
    if (!dladdr(reinterpret_cast<const void*>(local), &info))
        return false;
    if (returnAddress && local == reinterpret_cast<std::uint64_t>(info.dli_saddr)) {
        local -= 2;
        if (!dladdr(reinterpret_cast<const void*>(local), &info))
            return false;
    }
    if (info.dli_sname)
        frame.symbol = info.dli_sname;
    const auto start = reinterpret_cast<std::uint64_t>(info.dli_saddr);
    if (info.dli_saddr && local > start)
        frame.offset = local - start;
    frame.library = lastPathComponent(textMember(image, "path").value_or(""));
    return true;
}

bool HLYSymbolResolver::updateStackFrame(HLYStackFrame& frame, bool returnAddress)
{
    if (frame.address == 0)
        return false;
    const Map* image = loadedBinaryImageForPC(frame.address);
    if (!image)
        return false;
    return updateFromFile(frame, *image, returnAddress) || updateFromLoader(frame, *image, returnAddress);
}

std::optional<HLYStackFrame> HLYSymbolResolver::frameForAddress(std::uint64_t address)
{
    HLYStackFrame frame;
    frame.address = address;
    if (!updateStackFrame(frame))
        return std::nullopt;
    return frame;
}

} // namespace qlkit
