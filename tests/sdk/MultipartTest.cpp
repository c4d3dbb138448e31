#include "SdkTestSupport.h"

#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include <gtest/gtest.h>

using namespace qlkit;

namespace {

std::string encoded(const std::string& boundary, const std::function<void(RIGMultipartMimeStreamEncoder&)>& parts,
                    std::uint64_t* length = nullptr)
{
    auto memory = std::make_shared<RIGMemoryOutputStream>();
    auto encoder = RIGMultipartMimeStreamEncoder::encoderWithStream(memory, boundary);
    encoder->encode(parts);
    if (length)
        *length = encoder->length();
    return memory->data();
}

// Takes a limited number of bytes, then refuses: a full disk.
class FullStream : public RIGOutputStream {
public:
    explicit FullStream(std::size_t room) : m_room(room) {}
    bool open() override { return true; }
    long write(const void* bytes, std::size_t length) override
    {
        if (length > m_room)
            return -1;
        m_room -= length;
        data.append(static_cast<const char*>(bytes), length);
        return long(length);
    }
    void close() override {}
    std::string data;

private:
    std::size_t m_room;
};

} // namespace

TEST(RIGMultipartMimeStreamEncoder, WritesGoldenBodies)
{
    auto memory = std::make_shared<RIGMemoryOutputStream>();
    auto empty = RIGMultipartMimeStreamEncoder::encoderWithStream(memory, std::nullopt);
    empty->encode(nullptr);
    EXPECT_EQ(memory->data(), "MIME-Version: 1.0\r\n--" + empty->boundary() + "--\r\n");
    EXPECT_EQ(empty->contentLengthHTTPHeaderValue(), "61");
    EXPECT_EQ(empty->contentTypeHTTPHeaderValue(), "multipart/form-data; boundary=" + empty->boundary());

    std::uint64_t length = 0;
    const std::string body = encoded("B", [](RIGMultipartMimeStreamEncoder& e) {
        e.addValue(Value("1"), std::string("a"));
        e.addValue(Value(42), std::string("n"));
        e.addValue(Value(), std::string("skipped"));
        e.addValue(std::nullopt, std::string("skipped"));
        e.addFileData(std::string("\x89PNG\0", 5), std::string("icon.png"), std::string("image/png"), std::string("app[icon][data]"));
        e.addFileData(std::string("raw"), std::string("r.bin"), std::nullopt, std::string("f"));
        e.addFileData(std::nullopt, std::string("x"), std::nullopt, std::string("skipped"));
    }, &length);
    const std::string golden = std::string("MIME-Version: 1.0\r\n"
                                           "--B\r\nContent-Disposition: form-data; name=\"a\"\r\nContent-Type: text/plain\r\n\r\n1\r\n"
                                           "--B\r\nContent-Disposition: form-data; name=\"n\"\r\nContent-Type: text/plain\r\n\r\n42\r\n"
                                           "--B\r\nContent-Disposition: form-data; name=\"app[icon][data]\"; filename=\"icon.png\"\r\n"
                                           "Content-Type: image/png\r\nContent-Transfer-Encoding: binary\r\n\r\n")
                               + std::string("\x89PNG\0", 5)
                               + "\r\n--B\r\nContent-Disposition: form-data; name=\"f\"; filename=\"r.bin\"\r\n"
                                 "Content-Type: application/octet-stream\r\n\r\nraw\r\n"
                                 "--B--\r\n";
    EXPECT_EQ(body, golden);
    EXPECT_EQ(length, golden.size());
}

TEST(RIGMultipartMimeStreamEncoder, RefusesNamesThatBreakFramingAndCountsOnlyWrittenBytes)
{
    const std::string body = encoded("B", [](RIGMultipartMimeStreamEncoder& e) {
        EXPECT_FALSE(e.addValue(Value("v"), std::string("a\r\nX-Injected: 1")));
        EXPECT_FALSE(e.addValue(Value("v"), std::string("a\"b")));
        EXPECT_FALSE(e.addFileData(std::string("d"), std::string("f\n.png"), std::nullopt, std::string("ok")));
        EXPECT_TRUE(e.addValue(Value("line\r\nbreaks are data"), std::string("ok")));
    });
    EXPECT_EQ(body, "MIME-Version: 1.0\r\n--B\r\nContent-Disposition: form-data; name=\"ok\"\r\n"
                    "Content-Type: text/plain\r\n\r\nline\r\nbreaks are data\r\n--B--\r\n");

    auto full = std::make_shared<FullStream>(40);
    RIGMultipartMimeStreamEncoder encoder(full, std::string("B"));
    encoder.encode([](RIGMultipartMimeStreamEncoder& e) { e.addValue(Value("1"), std::string("a")); });
    EXPECT_EQ(encoder.length(), full->data.size());
    EXPECT_FALSE(encoder.writeBytes("too much for the stream", 200));

    test::TempDir dir;
    auto file = std::make_shared<RIGFileOutputStream>(dir.path() / "body");
    RIGMultipartMimeStreamEncoder toFile(file, std::string("B"));
    toFile.encode([](RIGMultipartMimeStreamEncoder& e) { e.addValue(Value("1"), std::string("a")); });
    EXPECT_EQ(test::readTextFile(dir.path() / "body"),
              encoded("B", [](RIGMultipartMimeStreamEncoder& e) { e.addValue(Value("1"), std::string("a")); }));

    URLRequest request;
    RIGMultipartMimeStreamEncoder::populateRequest(request, [](RIGMultipartMimeStreamEncoder& e) {
        e.addValue(Value("x"), std::string("y"));
    });
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Length"), std::to_string(request.HTTPBody.size()));
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Type")->rfind("multipart/form-data; boundary=", 0), 0u);
}

TEST(RIGMultipartMimeStreamEncoder, SendsOnlyTheKitsOwnFilesPieceByPiece)
{
    test::TempDir dir;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = char(i * 7);
    test::writeTextFile(dir.path() / "own", content);
    test::writeTextFile(dir.path() / "outside", "the user's own");
    std::filesystem::create_hard_link(dir.path() / "outside", dir.path() / "linked");
    std::filesystem::create_symlink(dir.path() / "own", dir.path() / "pointer");
    const std::optional<std::string> type("application/x-gzip");

    const std::string fromFile = encoded("B", [&](RIGMultipartMimeStreamEncoder& e) {
        EXPECT_TRUE(e.addFile(dir.path() / "own", std::string("own"), type, std::string("f")));
        EXPECT_FALSE(e.addFile(dir.path() / "linked", std::string("linked"), type, std::string("g")));
        EXPECT_FALSE(e.addFile(dir.path() / "pointer", std::string("pointer"), type, std::string("h")));
        EXPECT_FALSE(e.addFile(dir.path() / "missing", std::string("missing"), type, std::string("i")));
    });
    EXPECT_EQ(fromFile, encoded("B", [&](RIGMultipartMimeStreamEncoder& e) {
                  e.addFileData(content, std::string("own"), type, std::string("f"));
              }));

    // A stream that fills up half-way through the file breaks the part.
    auto full = std::make_shared<FullStream>(100000);
    RIGMultipartMimeStreamEncoder encoder(full, std::string("B"));
    encoder.beginEncoding();
    EXPECT_FALSE(encoder.addFile(dir.path() / "own", std::string("own"), type, std::string("f")));

    // Into a body file the request then streams from.
    URLRequest request;
    ASSERT_TRUE(RIGMultipartMimeStreamEncoder::populateRequest(request, dir.path() / "body", [&](auto& e) {
        e.addFile(dir.path() / "own", std::string("own"), type, std::string("f"));
    }));
    EXPECT_TRUE(request.HTTPBody.empty());
    EXPECT_EQ(request.HTTPBodyFile, dir.path() / "body");
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Length"),
              std::to_string(std::filesystem::file_size(dir.path() / "body")));
    EXPECT_NE(test::readTextFile(dir.path() / "body").find(content), std::string::npos);
    EXPECT_FALSE(RIGMultipartMimeStreamEncoder::populateRequest(request, dir.path() / "missing" / "body", {}));
}
