#include "SdkTestSupport.h"

#include "sdk/ElfImage.h"

#include <dirent.h>
#include <elf.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <regex>

using namespace qlkit;

extern "C" int qlkitElfTestMarker(int x) { return x * 3 + 1; }

namespace {

std::string readelfBuildId(const std::string& path)
{
    const auto result = test::run({"readelf", "-n", path});
    std::smatch match;
    if (!std::regex_search(result.output, match, std::regex("Build ID: ([0-9a-f]+)")))
        return {};
    return match[1];
}

int openDescriptors()
{
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count;
}

std::string loadedPathContaining(const std::string& part)
{
    std::string found;
    RIGElfEnumerateLoadedImages([&](const RIGElfImage& image, bool& stop) {
        if (std::string(image.path).find(part) != std::string::npos) {
            found = image.path;
            stop = true;
        }
    });
    return found;
}

std::string fileBuildId(const std::string& path)
{
    RIGElfFile file;
    if (!RIGElfFileInitWithPath(&file, path.c_str()))
        return "unreadable";
    const auto id = RIGElfFileGetBuildID(&file);
    RIGElfFileDestroy(&file);
    return id ? RIGElfFormatBuildID(*id) : "";
}

} // namespace

TEST(ElfImage, BuildIdsMatchReadelf)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string libc = loadedPathContaining("libc.so");
    ASSERT_FALSE(libc.empty());
    for (const auto& path : {self, libc}) {
        const std::string expected = readelfBuildId(path);
        ASSERT_EQ(expected.size(), 40u) << path;
        EXPECT_EQ(fileBuildId(path), expected) << path;
    }

    // The loader's copy of this executable carries the same note.
    const RIGElfImage main = RIGElfImageGetMainExecutable();
    ASSERT_TRUE(RIGElfImageGetBuildID(main));
    EXPECT_EQ(RIGElfFormatBuildID(*RIGElfImageGetBuildID(main)), readelfBuildId(self));
    EXPECT_NE(RIGElfImageGetEhFrameHdr(main), 0u);
    std::uintptr_t start = 0, end = 0;
    ASSERT_TRUE(RIGElfImageGetExecutableSpan(main, &start, &end));
    const auto marker = reinterpret_cast<std::uintptr_t>(&qlkitElfTestMarker);
    EXPECT_TRUE(marker >= start && marker < end);
}

TEST(ElfImage, ReadsSectionsAndSymbolsOfAFile)
{
    RIGElfFile file;
    ASSERT_TRUE(RIGElfFileInitWithCurrentExecutable(&file));
    EXPECT_STREQ(RIGElfFileGetArchitectureName(&file), "x86_64");
    const auto text = RIGElfFileFindSection(&file, ".text");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, std::uint32_t(SHT_PROGBITS));
    EXPECT_TRUE(RIGElfFileFindSection(&file, ".eh_frame_hdr"));
    EXPECT_FALSE(RIGElfFileFindSection(&file, ".no_such_section"));

    std::optional<RIGElfSymbol> marker;
    RIGElfFileEnumerateSymbols(&file, [&](const RIGElfSymbol& symbol, bool& stop) {
        if (symbol.name == "qlkitElfTestMarker") {
            marker = symbol;
            stop = true;
        }
    });
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->type, STT_FUNC);
    EXPECT_EQ(marker->value + RIGElfImageGetMainExecutable().loadBias,
              reinterpret_cast<std::uintptr_t>(&qlkitElfTestMarker));
    RIGElfFileDestroy(&file);
    EXPECT_EQ(file.fd, -1);
}

TEST(ElfImage, RefusesWhatIsNotAnElfFileWithoutLeakingDescriptors)
{
    test::TempDir dir;
    const auto self = test::readTextFile("/proc/self/exe");
    test::writeTextFile(dir.path() / "short", "\x7f" "ELF");
    test::writeTextFile(dir.path() / "text", std::string(4096, 'x'));
    test::writeTextFile(dir.path() / "truncated", self.substr(0, 40));
    std::filesystem::create_directory(dir.path() / "folder");

    const int before = openDescriptors();
    for (const char* name : {"short", "text", "truncated", "folder", "missing"}) {
        RIGElfFile file;
        EXPECT_FALSE(RIGElfFileInitWithPath(&file, (dir.path() / name).c_str())) << name;
        EXPECT_EQ(file.fd, -1);
        EXPECT_EQ(file.mapping, nullptr);
    }
    EXPECT_FALSE(RIGElfFileInitWithPath(nullptr, "/proc/self/exe"));
    EXPECT_EQ(openDescriptors(), before);

    // A file cut after its header but before its tables reads as having none.
    test::writeTextFile(dir.path() / "headonly", self.substr(0, 4096));
    EXPECT_EQ(fileBuildId((dir.path() / "headonly").string()),
              readelfBuildId(std::filesystem::read_symlink("/proc/self/exe")))
        << "the build-id note sits in the first page";
    RIGElfFile file;
    ASSERT_TRUE(RIGElfFileInitWithPath(&file, (dir.path() / "headonly").c_str()));
    EXPECT_FALSE(RIGElfFileFindSection(&file, ".text"));
    RIGElfFileDestroy(&file);
}

// Damaged binaries: every reader must stay inside the mapping. The sanitizer
// build turns any stray read into a failure.
TEST(ElfImage, SurvivesMutatedFiles)
{
    const std::string original = test::readTextFile("/usr/bin/true");
    ASSERT_GT(original.size(), 1024u);
    test::TempDir dir;
    const auto path = dir.path() / "mutant";
    std::mt19937 random(20261206);
    const int before = openDescriptors();
    for (int round = 0; round < 400; ++round) {
        std::string mutant = original;
        const int flips = 1 + int(random() % 24);
        for (int i = 0; i < flips; ++i) {
            // Half of the damage goes to the header and tables, where it hurts most.
            const std::size_t at = random() % 2 ? random() % 64 : random() % mutant.size();
            mutant[at] = char(random() % 4 == 0 ? 0xFF : random());
        }
        if (round % 5 == 0)
            mutant.resize(64 + random() % (mutant.size() - 64));
        test::writeTextFile(path, mutant);

        RIGElfFile file;
        if (!RIGElfFileInitWithPath(&file, path.c_str()))
            continue;
        RIGElfFileGetArchitectureName(&file);
        RIGElfFileGetBuildID(&file);
        std::size_t seen = 0;
        RIGElfFileEnumerateSections(&file, [&](const RIGElfSection& s, bool&) { seen += s.name.size(); });
        RIGElfFileEnumerateSymbols(&file, [&](const RIGElfSymbol& s, bool&) { seen += s.name.size(); });
        RIGElfFileDestroy(&file);
    }
    EXPECT_EQ(openDescriptors(), before);
}
