// Record files: the line format written by hand, buffering, escaping, and
// reading back.
#include "CrashTestSupport.h"

#include "crash/capture/HLYFile.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

std::string writeRecord(const std::filesystem::path& path, const std::function<void(HLYFile*)>& body)
{
    HLYFile file;
    EXPECT_TRUE(HLYFileInitWithPathMode(&file, path.c_str(), false, false));
    body(&file);
    EXPECT_TRUE(HLYFileClose(&file));
    return readText(path);
}

} // namespace

TEST(RecordFile, LinesNestAndEncodeValuesAsTheReaderExpects)
{
    TempFolder folder;
    const auto path = folder.path() / "record.hlyrecord";
    EXPECT_EQ(writeRecord(path,
                          [](HLYFile* file) {
                              HLYFileWriteSectionStart(file, "threads");
                              HLYFileWriteArrayStart(file);
                              HLYFileWriteArrayEnd(file);
                              HLYFileWriteSectionEnd(file);
                          }),
              "{\"threads\":[]}\n");

    EXPECT_EQ(writeRecord(path,
                          [](HLYFile* file) {
                              HLYFileWriteSectionStart(file, "s");
                              HLYFileWriteHashStart(file);
                              HLYFileWriteHashKey(file, "list");
                              HLYFileWriteArrayStart(file);
                              HLYFileWriteArrayEntryUInt64(file, 0);
                              HLYFileWriteArrayEntryUInt64(file, UINT64_MAX);
                              HLYFileWriteHashStart(file);
                              HLYFileWriteHashEnd(file);
                              HLYFileWriteArrayEntryString(file, nullptr);
                              HLYFileWriteArrayEntryHexEncodedString(file, "abc");
                              HLYFileWriteArrayEnd(file);
                              HLYFileWriteHashEntryInt64(file, "signed", -42);
                              HLYFileWriteHashEntryUInt64(file, "minus one", std::uint64_t(std::int64_t(-1)));
                              HLYFileWriteHashEntryString(file, "text", "plain");
                              HLYFileWriteHashEntryStringUnlessEmpty(file, "skipped", "");
                              HLYFileWriteHashEntryHexEncodedString(file, "none", nullptr);
                              HLYFileWriteHashEntryBoolean(file, "flag", true);
                              HLYFileWriteHashEnd(file);
                              HLYFileWriteSectionEnd(file);
                          }),
              "{\"s\":{\"list\":[0,18446744073709551615,{},null,\"616263\"],\"signed\":-42,"
              "\"minus one\":18446744073709551615,\"text\":\"plain\",\"none\":null,\"flag\":true}}\n");
    EXPECT_TRUE(pythonParsesEveryLine(path));

    char digits[21];
    EXPECT_STREQ(HLYFileFormatUInt64(0, false, digits), "0");
    EXPECT_STREQ(HLYFileFormatUInt64(0xBEEF, true, digits), "beef");
}

TEST(RecordFile, TextWithQuotesControlBytesAndBrokenUTF8KeepsItsLineReadable)
{
    TempFolder folder;
    const auto path = folder.path() / "names.hlyrecord";
    const std::string awkward = "say \"hi\"\\ \n\t\x01 caf\xc3\xa9 \xff\xfe end";
    writeRecord(path, [&](HLYFile* file) {
        HLYFileWriteSectionStart(file, "thread_names");
        HLYFileWriteArrayStart(file);
        HLYFileWriteArrayEntryString(file, awkward.c_str());
        HLYFileWriteArrayEnd(file);
        HLYFileWriteSectionEnd(file);
        HLYFileWriteSectionStart(file, "after");
        HLYFileWriteHashStart(file);
        HLYFileWriteHashEnd(file);
        HLYFileWriteSectionEnd(file);
    });
    EXPECT_TRUE(pythonParsesEveryLine(path));
    const auto records = readRecords(path);
    ASSERT_EQ(records.size(), 2u);
    const Value& text = (*member(records[0], "thread_names")->asArray())[0];
    EXPECT_EQ(text, Value("say \"hi\"\\ \n\t\x01 caf\xc3\xa9 \xef\xbf\xbd\xef\xbf\xbd end"));
}

TEST(RecordFile, AppendingCountsFromTheFileSizeAndBufferingHoldsAt999Bytes)
{
    TempFolder folder;
    const auto path = folder.path() / "log_a.hlyrecord";
    std::ofstream(path) << "abc\n";
    HLYFile file;
    ASSERT_TRUE(HLYFileInitWithPath(&file, path.c_str(), true));
    const std::string chunk(999, 'x');
    HLYFileWrite(&file, chunk.data(), chunk.size());
    EXPECT_EQ(std::filesystem::file_size(path), 4u); // still in the buffer
    HLYFileWrite(&file, "y", 1);
    EXPECT_EQ(std::filesystem::file_size(path), 4u + 999u); // 999 bytes flushed, "y" waits
    std::uint64_t total = 0;
    ASSERT_TRUE(HLYFileCloseWithOffset(&file, &total));
    EXPECT_EQ(total, 4u + 1000u);
    EXPECT_EQ(std::filesystem::file_size(path), total);
    EXPECT_EQ(file.descriptor, -1);
}

TEST(RecordFile, TheReaderSkipsBrokenLinesAndAppliesItsTransform)
{
    TempFolder folder;
    const auto path = folder.path() / "kv.hlyrecord";
    std::ofstream(path) << "{\"kv\":{\"key\":\"61\"}}\n{\"kv\":{\"key\":\"broken\"\"}}\nnot json\n{\"kv\":{\"key\":\"62\"}}\n"
                        << "{\"other\":1}\n";
    const auto all = HLYFileReadSections(path.c_str(), false);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 3u);
    const auto keys = HLYFileReadSections(path.c_str(), false, [](const Value& line) -> std::optional<Value> {
        const Value* kv = member(line, "kv");
        return kv ? std::optional<Value>(*member(*kv, "key")) : std::nullopt;
    });
    ASSERT_TRUE(keys);
    EXPECT_EQ(*keys, (Array {"61", "62"}));
    EXPECT_FALSE(HLYFileReadSections((folder.path() / "missing").c_str(), true));
    EXPECT_FALSE(HLYFileReadSections(nullptr, false));
}
