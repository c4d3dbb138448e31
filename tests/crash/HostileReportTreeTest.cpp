// A report tree someone else has been at: folders and entries that are links
// to folders outside it, files far larger than any run writes, and named
// pipes where record files belong. The next start (crash-probe send, under a
// memory limit and a hang guard) sends what is really a report, touches
// nothing outside the tree, and ends.
#include "ReportTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

namespace fs = std::filesystem;

// Far above what the kit needs, far below what reading a huge file whole takes.
constexpr ProcessLimits kLimits {1024ull * 1024 * 1024, 240};

ProcessResult sendUnderLimits(const fs::path& folder, const std::string& url)
{
    return runProcess({toolPath("crash-probe"), "--dir", folder.string(), "--url", url, "send"}, {}, kLimits);
}

// A folder that passes for an old report: metadata and a signal record.
void writeReport(const fs::path& folder, const std::string& id)
{
    fs::create_directories(folder);
    test::writeTextFile(folder / "metadata.hlyrecord", R"({"identity":{"api_key":"key","session_id":")" + id + "\"}}\n");
    test::writeTextFile(folder / "signal.hlyrecord", R"({"signal":{"number":11}})" "\n");
}

void makeHugeFile(const fs::path& path, std::uintmax_t size)
{
    test::writeTextFile(path, "{}\n");
    fs::resize_file(path, size); // sparse: no disk is spent
}

void makePipe(const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path; }

void replaceWithLink(const fs::path& folder, const fs::path& target)
{
    fs::remove_all(folder);
    fs::create_directory_symlink(target, folder);
}

// Every report id the service received, in order.
std::vector<std::string> sentIds(const test::TestService& service)
{
    std::vector<std::string> ids;
    for (const auto& post : reportPosts(service)) {
        const Value* id = partNamed(post, "report_id");
        ids.push_back(id ? partText(*id) : "(none)");
    }
    return ids;
}

bool realFolder(const fs::path& path) { return fs::symlink_status(path).type() == fs::file_type::directory; }

} // namespace

TEST(HostileReportTree, FoldersBehindLinksAreNeitherSentNorEmptied)
{
    TempFolder folder;
    test::TestService service;
    scriptReports(service, {acceptedAnswer()});
    const ReportTree tree(folder.path());
    const fs::path crashedFolder = runProbeAt(folder.path(), service.baseURL(), "segv").runFolder();
    const std::string crashed = crashedFolder.filename().string();
    ASSERT_FALSE(crashed.empty());
    // A file of the user's hard-linked into the run: not one the kit wrote.
    const fs::path secret = folder.path() / "secret";
    test::writeTextFile(secret, R"({"secret":"the user's own"})" "\n");
    fs::create_hard_link(secret, crashedFolder / "secret.hlyrecord");

    // Processing and prepared lead elsewhere; active holds a link to a report elsewhere.
    const fs::path elsewhere = folder.path() / "elsewhere";
    writeReport(elsewhere / "processing" / "planted", "planted-in-processing");
    test::writeTextFile(elsewhere / "processing" / "notes.txt", "the user's own\n");
    test::writeTextFile(elsewhere / "prepared" / "letter.multipartmime", "the user's own\n");
    writeReport(elsewhere / "linked", "linked-from-active");
    replaceWithLink(tree.processing(), elsewhere / "processing");
    replaceWithLink(tree.prepared(), elsewhere / "prepared");
    fs::create_directory_symlink(elsewhere / "linked", tree.active() / "linked");

    const auto sent = sendUnderLimits(folder.path(), service.baseURL());
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_EQ(sentIds(service), std::vector<std::string> {crashed});
    for (const auto& post : reportPosts(service))
        for (const auto& part : *member(post, "parts")->asArray())
            EXPECT_EQ(partText(part, "gunzip_b64").find("the user's own"), std::string::npos) << test::logString(part, "name");
    EXPECT_EQ(readText(secret), R"({"secret":"the user's own"})" "\n");
    for (const char* file : {"processing/planted/metadata.hlyrecord", "processing/planted/signal.hlyrecord",
                             "processing/notes.txt", "prepared/letter.multipartmime", "linked/signal.hlyrecord"})
        EXPECT_TRUE(fs::is_regular_file(elsewhere / file)) << file;
    EXPECT_TRUE(realFolder(tree.processing()));
    EXPECT_TRUE(realFolder(tree.prepared()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree.active() / "linked")));
}

TEST(HostileReportTree, HugeFilesAndPipesNeitherEndNorHangTheSender)
{
    TempFolder folder;
    test::TestService service;
    scriptReports(service, {acceptedAnswer()});
    const ReportTree tree(folder.path());

    // A metadata file of 2 GiB beside a real signal record.
    writeReport(tree.active() / "huge", "huge");
    makeHugeFile(tree.active() / "huge" / "metadata.hlyrecord", 2ull << 30);
    // Pipes for metadata, a log, the folder's lock and a compressed copy, and
    // a loaded image that names a pipe elsewhere.
    const fs::path piped = tree.active() / "piped";
    writeReport(piped, "piped");
    fs::remove(piped / "metadata.hlyrecord");
    for (const char* name : {"metadata.hlyrecord", "log_a.hlyrecord", ".lock", "signal.hlyrecord.gz"})
        makePipe(piped / name);
    makePipe(folder.path() / "image");
    test::writeTextFile(piped / "binary_images.hlyrecord",
                        R"({"load":{"base":4096,"size":4096,"uuid":"00","path":")" + (folder.path() / "image").string()
                            + "\"}}\n");
    test::writeTextFile(piped / "signal.hlyrecord",
                        readText(piped / "signal.hlyrecord") + R"({"threads":[{"stacktrace":[4200]}]})" "\n");
    // In prepared: a pipe, and a package larger than any report makes.
    fs::create_directories(tree.prepared());
    makePipe(tree.prepared() / "pipe.multipartmime");
    makeHugeFile(tree.prepared() / "huge.multipartmime", (64ull << 20) + 1);

    const auto sent = sendUnderLimits(folder.path(), service.baseURL());
    EXPECT_EQ(sent.signal, 0) << (sent.signal == SIGALRM ? "hung" : "ended by a signal") << "\n" << sent.err;
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    // Both reports go, each without what could not be read; nothing else does.
    const auto posts = reportPosts(service);
    ASSERT_EQ(posts.size(), 2u) << sent.out;
    for (const auto& post : posts) {
        const Value* signal = partNamed(post, "signal");
        ASSERT_NE(signal, nullptr) << testing::PrintToString(partNames(post));
        EXPECT_EQ(*member(*signal, "gzip"), Value("ok"));
        EXPECT_LT(std::stoul(test::logString(post, "body_length")), 1024u * 1024);
    }
    EXPECT_TRUE(entriesOf(tree.prepared()).empty());
    EXPECT_TRUE(entriesOf(tree.processing()).empty());
}
