#include "SdkTestSupport.h"

#include "crash/Tally/HLYEventLog/HLYAnalyticsGenerators.h"
#include "crash/Tally/HLYEventLog/HLYEventLogEvent.h"
#include "crash/Tally/HLYEventLog/HLYEventLogFile.h"
#include "crash/Tally/HLYEventLog/HLYEventLogSessionRepository.h"
#include "crash/Tally/HLYEventLog/HLYGzipFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace qlkit;
using qlkit::test::readTextFile;
using qlkit::test::TempDir;

namespace {

std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

Bytes bytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Compresses `content` through files and checks the result with gzip itself.
void expectGzipRoundTrip(const std::filesystem::path& folder, const std::string& content)
{
    const auto plain = folder / "0.log";
    const auto packed = folder / "0.log.zip";
    std::ofstream(plain, std::ios::binary).write(content.data(), std::streamsize(content.size()));
    std::FILE* source = std::fopen(plain.c_str(), "rb");
    std::FILE* destination = std::fopen(packed.c_str(), "wb");
    ASSERT_TRUE(source && destination);
    EXPECT_EQ(HLYGzipFile(source, destination), 0);
    std::fclose(source);
    std::fclose(destination);
    EXPECT_EQ(std::system(("gzip -t " + packed.string()).c_str()), 0);
    ASSERT_EQ(std::system(("gzip -dc " + packed.string() + " > " + (folder / "back").string()).c_str()), 0);
    EXPECT_TRUE(readTextFile(folder / "back") == content);
}

} // namespace

TEST(EventLog, LinesCarryTimestampKeyAndLengthPrefixedPayload)
{
    EXPECT_EQ(text(HLYEventLogEvent(1, 1700000000123, "app_launched").eventData()), "1700000000123\tapp_launched\n");
    EXPECT_EQ(text(HLYEventLogEvent(1, 5, "custom", Bytes {}).eventData()), "5\tcustom\t0\t\n");
    // Tabs and multi-byte characters pass unchanged; the length counts bytes.
    EXPECT_EQ(text(HLYEventLogEvent(2, 7, "custom", bytes("a\tb\xC3\xA9")).eventData()), "7\tcustom\t5\ta\tb\xC3\xA9\n");
    // A timestamp past the signed range reads as the log format always wrote it.
    EXPECT_EQ(text(HLYEventLogEvent(0, UINT64_MAX, "k").eventData()), "-1\tk\n");

    const HLYEventLogEvent a(1, 5, "k", bytes("{}"));
    EXPECT_TRUE(a == HLYEventLogEvent(1, 5, "k", bytes("{}")));
    EXPECT_EQ(a.hash(), HLYEventLogEvent(1, 5, "k", bytes("{}")).hash());
    EXPECT_FALSE(a == HLYEventLogEvent(1, 5, "k"));
    EXPECT_FALSE(a == HLYEventLogEvent(1, 5, "k", Bytes {}));
    EXPECT_FALSE(a == HLYEventLogEvent(2, 5, "k", bytes("{}")));
    EXPECT_FALSE(a == HLYEventLogEvent(1, 6, "k", bytes("{}")));
    EXPECT_FALSE(a == HLYEventLogEvent(1, 5, "j", bytes("{}")));
    EXPECT_EQ(HLYEventLogEvent(3, 4, "").hash(), 3 + 2 * 4 + 4 * std::hash<std::string> {}(""));
}

TEST(EventLog, GzipsEmptyTextAndIncompressibleInput)
{
    TempDir folder;
    expectGzipRoundTrip(folder.path(), "");
    expectGzipRoundTrip(folder.path(), "1700000000123\tapp_launched\t2\t{}\n");
    std::string random(1 << 20, '\0');
    std::mt19937 generator(31);
    for (auto& c : random)
        c = char(generator());
    expectGzipRoundTrip(folder.path(), random);
}

// What a reader of the service expands: every member, zero padding between
// them skipped; a stream that expands past the limit is told apart.
TEST(EventLog, GzipReadsNoFurtherThanItsBoundAndStreamsAreMeasuredWithoutExpanding)
{
    TempDir folder;
    const auto plain = folder.path() / "2.log";
    const auto packed = folder.path() / "2.log.zip";
    const std::string lines = "1\tmetadata\n1\tgrowing\n";
    test::writeTextFile(plain, lines + std::string(1 << 20, 'x'));
    std::FILE* source = std::fopen(plain.c_str(), "rb");
    std::FILE* destination = std::fopen(packed.c_str(), "wb");
    ASSERT_TRUE(source && destination);
    EXPECT_EQ(HLYGzipFile(source, destination, lines.size()), 0);
    std::fclose(source);
    std::fclose(destination);
    EXPECT_EQ(std::system(("gzip -dc " + packed.string() + " > " + (folder.path() / "back").string()).c_str()), 0);
    EXPECT_EQ(readTextFile(folder.path() / "back"), lines);

    auto measure = [&](const std::string& shell, std::uint64_t limit) {
        EXPECT_EQ(std::system(("(" + shell + ") > " + packed.string()).c_str()), 0);
        const int fd = ::open(packed.c_str(), O_RDONLY);
        const auto length = HLYGzipExpandedLength(fd, std::filesystem::file_size(packed), limit);
        ::close(fd);
        return length;
    };
    EXPECT_EQ(measure("printf abc | gzip; head -c 100 /dev/zero; printf defg | gzip", 100), 7u);
    // 64 MiB of zeros in the second member: past a limit one byte short of it.
    const std::string bomb = "printf abc | gzip; head -c 67108861 /dev/zero | gzip";
    EXPECT_EQ(measure(bomb, 64u << 20), std::uint64_t(64u << 20));
    EXPECT_EQ(measure(bomb, (64u << 20) - 1), std::nullopt);
    EXPECT_EQ(measure("printf abc | gzip; printf 'not gzip'", 100), 3u); // what follows damage does not count
    EXPECT_EQ(measure("printf abc", 100), 0u);
}

TEST(EventLog, GeneratorsRoundTimeDownAndMakeUpperCaseIdentifiers)
{
    EXPECT_EQ(HLYAnalyticsTimestampGenerator::timestampForSeconds(1.9999), 1999u);
    EXPECT_EQ(HLYAnalyticsTimestampGenerator::timestampForSeconds(-3), 0u);
    const HLYAnalyticsIdentifierGenerator identifiers;
    const std::string one = identifiers.generateEventIdentifier();
    ASSERT_EQ(one.size(), 36u);
    EXPECT_EQ(one.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
    EXPECT_NE(one, identifiers.generateSessionFragmentIdentifier());
}

TEST(EventLog, NamesFollowThePriority)
{
    using Repository = HLYEventLogSessionRepository;
    EXPECT_EQ(Repository::activeEventLogFileNameForPriority(0), "0.log");
    EXPECT_EQ(Repository::activeEventLogFileNameForPriority(2), "2.log");
    EXPECT_FALSE(Repository::activeEventLogFileNameForPriority(3));
    EXPECT_EQ(Repository::priorityForEventLogFileWithName("1.log.zip"), 1);
    EXPECT_EQ(Repository::priorityForEventLogFileWithName("0.log"), 0);
    EXPECT_EQ(Repository::priorityForEventLogFileWithName("2.log.gz"), 2);
    for (const char* other : {"3.log", "log", "2.txt", "1.txt", ".log", "x1.log", "1.log.zip.zip", ""})
        EXPECT_EQ(Repository::priorityForEventLogFileWithName(other), -1) << other;
}

TEST(EventLog, FilesAppendWholeLinesAndKeepTheirSizeInMemory)
{
    TempDir folder;
    const auto path = folder.path() / "2.log";
    // A folder in the way is replaced by an empty log.
    std::filesystem::create_directories(path / "inner");
    auto file = HLYEventLogEventFile::initWithNameInDirectoryWithURL("2.log", folder.path());
    ASSERT_TRUE(file);
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(file->fileSize(), 0u);
    ASSERT_TRUE(file->appendEvent(HLYEventLogEvent(2, 1, "a")));
    ASSERT_TRUE(file->appendEvent(HLYEventLogEvent(2, 2, "b", bytes("{}"))));
    EXPECT_EQ(file->fileSize(), 13u);
    const auto content = file->readFromFile();
    ASSERT_TRUE(content);
    EXPECT_EQ(text(*content), "1\ta\n2\tb\t2\t{}\n");
    // Still open for writing at the end after reading back.
    ASSERT_TRUE(file->appendData(bytes("x\n")));
    file.reset();

    // Reopening goes on at the end, its size taken from the file.
    auto again = HLYEventLogEventFile::initWithURL(path);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->fileSize(), 15u);
    ASSERT_TRUE(again->resetFile());
    EXPECT_EQ(again->fileSize(), 0u);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    EXPECT_FALSE(HLYEventLogFile::initWithURL(folder.path() / "missing" / "0.log"));
}

TEST(EventLogDeathTest, BrokenPreconditionsStopTheProcess)
{
    // The kit's thread pool may already run in this process: re-execute rather than fork.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir folder;
    EXPECT_DEATH(
        {
            auto file = HLYEventLogFile::initWithURL(folder.path() / "0.log");
            file->openFileHandleForWriting();
        },
        "openFileHandleForWriting, HLYEventLogFile: nil == _fileHandle");
    EXPECT_DEATH(
        {
            auto file = HLYEventLogFile::initWithURL(folder.path() / "0.log");
            file->closeFileHandle();
            file->appendData(bytes("x"));
        },
        "appendData, HLYEventLogFile: nil != _fileHandle");
}
