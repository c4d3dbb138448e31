// Naming the frames of a report: the image record of the crashed run, the
// image files on disk, and the demangler; companion files read back.
#include "ReportTestSupport.h"

#include "crash/processing/HLYProcessReportOperation.h"
#include "crash/processing/HLYSymbolResolver.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/ElfImage.h"
#include "sdk/foundation/Json.h"

#include <climits>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qlkit;
using namespace qlkit::crashtest;

// Two functions back to back, without padding: the second is local to this
// file, so the loader knows nothing of it.
__asm__(".text\n"
        ".globl resolverFirst\n"
        ".type resolverFirst, @function\n"
        "resolverFirst:\n"
        "  nop\n  nop\n  nop\n  nop\n  ret\n"
        ".size resolverFirst, .-resolverFirst\n"
        ".type resolverSecond, @function\n"
        "resolverSecond:\n"
        "  nop\n  nop\n  ret\n"
        ".size resolverSecond, .-resolverSecond\n");
extern "C" void resolverFirst();
extern "C" void resolverSecond();

namespace {

namespace fs = std::filesystem;

struct OwnImage {
    std::string path;
    std::string uuid;
    std::uint64_t base = 0;
};

OwnImage ownImage()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    const RIGElfImage image = RIGElfImageGetMainExecutable();
    return {std::string(path, std::size_t(length)), RIGElfFormatBuildID(RIGElfImageGetBuildID(image).value_or("")),
            std::uint64_t(image.loadBias)};
}

std::string imageLine(const std::string& kind, const std::string& path, const std::string& uuid, const Value& base,
                      const Value& size)
{
    return json::serialize(Map {{kind, Map {{"path", path}, {"uuid", uuid}, {"base", base}, {"size", size}}}}) + "\n";
}

std::uint64_t address(void (*function)()) { return std::uint64_t(reinterpret_cast<std::uintptr_t>(function)); }

} // namespace

TEST(ReportProcessing, FramesAreNamedFromTheImageFileAfterItsBuildIDIsChecked)
{
    TempFolder temp;
    const OwnImage own = ownImage();
    ASSERT_FALSE(own.uuid.empty());
    const fs::path images = temp.path() / "binary_images.hlyrecord";
    // The same file recorded twice more: once rebuilt since, once with no base.
    test::writeTextFile(images, imageLine("load", own.path, own.uuid, own.base, 1ull << 32)
                                    + imageLine("load", "/usr/lib/gone.so", "feedface", 1ull << 46, 4096)
                                    + imageLine("load", own.path, own.uuid, Value(), 100)
                                    + imageLine("unload", own.path, own.uuid, 0, 1ull << 60));
    HLYSymbolResolver resolver;
    ASSERT_TRUE(resolver.loadBinaryImagesFromFile(images));
    EXPECT_EQ(resolver.binaryImages().size(), 2u);

    // Where a thread stood: the function itself, though no loader names it.
    HLYStackFrame pc;
    pc.address = address(resolverSecond) + 1;
    ASSERT_TRUE(resolver.updateStackFrame(pc, false));
    EXPECT_EQ(pc.symbol, "resolverSecond");
    EXPECT_EQ(pc.offset, 1u);
    EXPECT_EQ(pc.library, fs::path(own.path).filename().string());

    // A return address at a function's first byte belongs to the call before it.
    HLYStackFrame returned;
    returned.address = address(resolverSecond);
    ASSERT_TRUE(resolver.updateStackFrame(returned, true));
    EXPECT_EQ(returned.symbol, "resolverFirst");
    EXPECT_EQ(returned.offset, 3u);

    // An address of an image this machine no longer has stays unnamed.
    HLYStackFrame gone;
    gone.address = (1ull << 46) + 16;
    EXPECT_FALSE(resolver.updateStackFrame(gone));
    EXPECT_EQ(gone.symbol, std::nullopt);
    EXPECT_EQ(gone.library, std::nullopt);
    EXPECT_FALSE(resolver.frameForAddress(0));

    // The image file, rebuilt since the crash (another build-id), names nothing.
    test::writeTextFile(images, imageLine("load", own.path, "0123456789abcdef", own.base, 1ull << 32));
    HLYSymbolResolver rebuilt;
    ASSERT_TRUE(rebuilt.loadBinaryImagesFromFile(images));
    HLYStackFrame stale;
    stale.address = address(resolverFirst) + 2;
    EXPECT_FALSE(rebuilt.updateStackFrame(stale));
    EXPECT_EQ(stale.symbol, std::nullopt);

    // Overlapping records: the lower base wins.
    test::writeTextFile(images, imageLine("load", "/b", "bb", 8192, 4096) + imageLine("load", "/a", "aa", 4096, 8192));
    HLYSymbolResolver overlapping;
    ASSERT_TRUE(overlapping.loadBinaryImagesFromFile(images));
    EXPECT_EQ(*overlapping.loadedBinaryImageForPC(9000)->find("path"), Value("/a"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(overlapping.loadBinaryImagesFromFile(temp.path() / "missing"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("failed to read binary image file"), std::string::npos);
}

TEST(ReportProcessing, NamesAreDemangledByTheirStart)
{
    EXPECT_EQ(HLYDemangleSymbol("_ZN5qlkit7Halyard5startEv"), "qlkit::Halyard::start()");
    EXPECT_EQ(HLYDemangleSymbol("__ZN5qlkit7Halyard5startEv_block_invoke_2"), "qlkit::Halyard::start()_block_invoke_2");
    EXPECT_EQ(HLYDemangleSymbol("__Z_block_invoke"), std::nullopt);
    EXPECT_EQ(HLYDemangleSymbol("_TFC4Demo3run"), std::nullopt); // no demangler for these
    EXPECT_EQ(HLYDemangleSymbol("-[Document save:]"), std::nullopt);
    EXPECT_EQ(HLYDemangleSymbol("main"), std::nullopt);
    EXPECT_EQ(HLYDemangleSymbol(nullptr), std::nullopt);
    EXPECT_EQ(HLYDemangleSymbol("_Znot a name"), std::nullopt);

    HLYStackFrame frame;
    frame.address = 0x1234;
    frame.symbol = "f";
    EXPECT_EQ(HLYStackFrameDescription(frame), "{[0x1234 + 0] f}");
    frame.fileName = "a.cpp";
    frame.lineNumber = 7;
    EXPECT_EQ(HLYStackFrameDescription(frame), "{[0x1234] f - a.cpp:7}");
}

TEST(ReportProcessing, EachStackRecordGetsACompanionFromItsFirstThreadsLine)
{
    TempFolder temp;
    const OwnImage own = ownImage();
    const fs::path folder = temp.path() / "report";
    fs::create_directories(folder);
    test::writeTextFile(folder / "binary_images.hlyrecord", imageLine("load", own.path, own.uuid, own.base, 1ull << 32));
    const auto first = address(resolverFirst);
    test::writeTextFile(folder / "signal.hlyrecord",
                        R"({"signal":{"number":11}})" "\n"
                        + json::serialize(Map {{"threads", Array {Map {{"stacktrace", Array {first + 1, first + 4, 12}}},
                                                                  Map {{"crashed", false}}}}})
                        + "\n" + json::serialize(Map {{"threads", Array {Map {{"stacktrace", Array {first}}}}}}) + "\n");
    test::writeTextFile(folder / "exception.hlyrecord", R"({"exception":{"type":"c++"}})" "\n");

    HLYProcessReportOperation(std::make_shared<HLYInternalReport>(folder, "id"), std::make_shared<HLYSymbolResolver>()).main();
    EXPECT_FALSE(fs::exists(folder / "exception.hlyrecord.symbolicated")); // no stacks in it
    EXPECT_FALSE(fs::exists(folder / "mach_exception.hlyrecord.symbolicated"));
    const auto lines = readRecords(folder / "signal.hlyrecord.symbolicated");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(pythonParsesEveryLine(folder / "signal.hlyrecord.symbolicated"));
    const Value expected = Array {
        Array {Map {{"symbol", "resolverFirst"}, {"offset", 1}, {"library", fs::path(own.path).filename().string()}},
               Map {{"symbol", "resolverFirst"}, {"offset", 4}, {"library", fs::path(own.path).filename().string()}},
               Map {{"symbol", Value()}, {"offset", 0}, {"library", Value()}}},
        Array {}};
    EXPECT_EQ(*member(lines[0], "threads"), expected);
}
