// Writes a multipart/form-data body part by part into a stream and counts the
// bytes that reached it, for "Content-Length".
#pragma once

#include "sdk/foundation/Value.h"
#include "sdk/network/RIGOutputStream.h"
#include "sdk/network/URLRequest.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qlkit {

class RIGMultipartMimeStreamEncoder {
public:
    static std::string generateBoundary();
    // A missing boundary is generated.
    static std::unique_ptr<RIGMultipartMimeStreamEncoder> encoderWithStream(std::shared_ptr<RIGOutputStream> stream,
                                                                            std::optional<std::string> boundary);
    static std::string contentTypeHTTPHeaderValueWithBoundary(const std::string& boundary);
    // Encodes into memory and sets the request's body, "Content-Type" and "Content-Length".
    static void populateRequest(URLRequest& request, const std::function<void(RIGMultipartMimeStreamEncoder&)>& block);
    // The same into a file made anew at `bodyFile`, which the request then
    // streams its body from; false when the file could not be written whole.
    static bool populateRequest(URLRequest& request, const std::filesystem::path& bodyFile,
                                const std::function<void(RIGMultipartMimeStreamEncoder&)>& block);

    RIGMultipartMimeStreamEncoder(std::shared_ptr<RIGOutputStream> stream, std::optional<std::string> boundary);

    void encode(const std::function<void(RIGMultipartMimeStreamEncoder&)>& block);
    void beginEncoding();
    void endEncoding();

    // A text part; nothing for a missing or null value. False when nothing was
    // written, also for names holding CR, LF or a double quote, which would
    // break the part's framing.
    bool addValue(const std::optional<Value>& value, const std::optional<std::string>& fieldName);
    bool addFileData(const std::optional<std::string>& data, const std::optional<std::string>& fileName,
                     const std::optional<std::string>& mimeType, const std::optional<std::string>& fieldName);
    // The file's bytes, read piece by piece. Only a file the kit wrote goes:
    // a link, a file with another name, a pipe or a device writes nothing.
    // False also when reading or writing stops half-way: the body is then
    // broken and must not be sent.
    bool addFile(const std::filesystem::path& file, const std::optional<std::string>& fileName,
                 const std::optional<std::string>& mimeType, const std::optional<std::string>& fieldName);
    // The first `length` bytes of an open file (fewer when it ends first),
    // read from its start: what grows past them is not sent.
    bool addFileContents(int fd, std::uint64_t length, const std::optional<std::string>& fileName,
                         const std::optional<std::string>& mimeType, const std::optional<std::string>& fieldName);

    void writeData(std::string_view data);
    bool writeBytes(const void* bytes, std::size_t length);

    std::string contentTypeHTTPHeaderValue() const { return contentTypeHTTPHeaderValueWithBoundary(m_boundary); }
    std::string contentLengthHTTPHeaderValue() const { return std::to_string(m_length); }
    std::uint64_t length() const { return m_length; }
    void setLength(std::uint64_t length) { m_length = length; }
    const std::string& boundary() const { return m_boundary; }

private:
    static bool canAddFilePart(const std::optional<std::string>& fileName, const std::optional<std::string>& mimeType,
                               const std::optional<std::string>& fieldName);
    void writeFilePartHeader(const std::string& fileName, const std::optional<std::string>& mimeType,
                             const std::string& fieldName);

    std::shared_ptr<RIGOutputStream> m_stream;
    std::string m_boundary;
    std::uint64_t m_length = 0;
};

} // namespace qlkit
