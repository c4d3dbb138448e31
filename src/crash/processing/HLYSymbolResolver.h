// Turns the raw addresses of a crashed run into symbol names in a later run.
// The report's image record says which image held an address; the symbol is
// read from that image's own file (".symtab", else ".dynsym", with sizes, so
// a static function is never named after an unrelated export) once its
// build-id matches. Where the file cannot serve, the loader is asked about
// the same image mapped into this process.
#pragma once

#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYException.h"
#include "sdk/foundation/Value.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYSymbolResolver {
public:
    HLYSymbolResolver();
    ~HLYSymbolResolver();

    // The `load` lines with a base and a size, sorted by base.
    bool loadBinaryImagesFromFile(const std::filesystem::path& path);
    const std::vector<Map>& binaryImages() const { return m_binaryImages; }
    // The first image in base order that holds the address.
    const Map* loadedBinaryImageForPC(std::uint64_t pc) const;
    bool fillInImageDetails(HLYBinaryImageDetails* details, const std::optional<std::string>& uuid) const;
    // `returnAddress`: the address follows a call, so an address at the very
    // start of a function belongs to the call in the function before it.
    bool updateStackFrame(HLYStackFrame& frame, bool returnAddress = true);
    std::optional<HLYStackFrame> frameForAddress(std::uint64_t address);

private:
    struct ImageSymbols;
    const ImageSymbols* symbolsFor(const std::string& path, const std::string& uuid);
    bool updateFromFile(HLYStackFrame& frame, const Map& image, bool returnAddress);
    bool updateFromLoader(HLYStackFrame& frame, const Map& image, bool returnAddress) const;

    std::vector<Map> m_binaryImages;
    std::map<std::string, std::unique_ptr<ImageSymbols>> m_symbols;
};

} // namespace qlkit
