#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include "sdk/TextForms.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <unistd.h>

namespace qlkit {
namespace {

constexpr std::string_view kCRLF = "\r\n";

bool safeName(const std::string& name)
{
    if (name.find_first_of("\r\n\"") == std::string::npos)
        return true;
    log::always("[Rigging] Refusing form field or file name with a line break or quote: " + name);
    return false;
}

} // namespace

std::string RIGMultipartMimeStreamEncoder::generateBoundary() { return RIGGenerateUUIDString(); }

std::unique_ptr<RIGMultipartMimeStreamEncoder>
RIGMultipartMimeStreamEncoder::encoderWithStream(std::shared_ptr<RIGOutputStream> stream, std::optional<std::string> boundary)
{
    if (!stream)
        return nullptr;
    return std::make_unique<RIGMultipartMimeStreamEncoder>(std::move(stream), std::move(boundary));
}

std::string RIGMultipartMimeStreamEncoder::contentTypeHTTPHeaderValueWithBoundary(const std::string& boundary)
{
    return "multipart/form-data; boundary=" + boundary;
}

void RIGMultipartMimeStreamEncoder::populateRequest(URLRequest& request,
                                                    const std::function<void(RIGMultipartMimeStreamEncoder&)>& block)
{
    auto memory = std::make_shared<RIGMemoryOutputStream>();
    RIGMultipartMimeStreamEncoder encoder(memory, generateBoundary());
    encoder.encode(block);
    request.setValue(encoder.contentTypeHTTPHeaderValue(), "Content-Type");
    request.setValue(encoder.contentLengthHTTPHeaderValue(), "Content-Length");
    request.HTTPBody = memory->data();
}

bool RIGMultipartMimeStreamEncoder::populateRequest(URLRequest& request, const std::filesystem::path& bodyFile,
                                                    const std::function<void(RIGMultipartMimeStreamEncoder&)>& block)
{
    auto file = std::make_shared<RIGFileOutputStream>(bodyFile);
    RIGMultipartMimeStreamEncoder encoder(file, generateBoundary());
    encoder.encode(block);
    if (file->failed())
        return false;
    request.setValue(encoder.contentTypeHTTPHeaderValue(), "Content-Type");
    request.setValue(encoder.contentLengthHTTPHeaderValue(), "Content-Length");
    request.HTTPBody.clear();
    request.HTTPBodyFile = bodyFile;
    return true;
}

RIGMultipartMimeStreamEncoder::RIGMultipartMimeStreamEncoder(std::shared_ptr<RIGOutputStream> stream,
                                                             std::optional<std::string> boundary)
    : m_stream(std::move(stream)), m_boundary(boundary ? std::move(*boundary) : generateBoundary())
{
}

void RIGMultipartMimeStreamEncoder::encode(const std::function<void(RIGMultipartMimeStreamEncoder&)>& block)
{
    beginEncoding();
    if (block)
        block(*this);
    endEncoding();
}

void RIGMultipartMimeStreamEncoder::beginEncoding()
{
    m_length = 0;
    m_stream->open();
    writeData("MIME-Version: 1.0\r\n");
}

void RIGMultipartMimeStreamEncoder::endEncoding()
{
    writeData("--" + m_boundary + "--\r\n");
    m_stream->close();
}

bool RIGMultipartMimeStreamEncoder::addValue(const std::optional<Value>& value, const std::optional<std::string>& fieldName)
{
    if (!value || value->isNull() || !fieldName || !safeName(*fieldName))
        return false;
    writeData("--" + m_boundary + std::string(kCRLF));
    writeData("Content-Disposition: form-data; name=\"" + *fieldName + "\"\r\n");
    writeData("Content-Type: text/plain\r\n\r\n");
    writeData(value->description());
    writeData(kCRLF);
    return true;
}

bool RIGMultipartMimeStreamEncoder::canAddFilePart(const std::optional<std::string>& fileName,
                                                   const std::optional<std::string>& mimeType,
                                                   const std::optional<std::string>& fieldName)
{
    if (!fileName || !fieldName || !safeName(*fieldName) || !safeName(*fileName))
        return false;
    return !mimeType || mimeType->find_first_of("\r\n") == std::string::npos;
}

void RIGMultipartMimeStreamEncoder::writeFilePartHeader(const std::string& fileName,
                                                        const std::optional<std::string>& mimeType,
                                                        const std::string& fieldName)
{
    writeData("--" + m_boundary + std::string(kCRLF));
    writeData("Content-Disposition: form-data; name=\"" + fieldName + "\"; filename=\"" + fileName + "\"\r\n");
    if (mimeType)
        writeData("Content-Type: " + *mimeType + "\r\nContent-Transfer-Encoding: binary\r\n\r\n");
    else
        writeData("Content-Type: application/octet-stream\r\n\r\n");
}

bool RIGMultipartMimeStreamEncoder::addFileData(const std::optional<std::string>& data,
                                                const std::optional<std::string>& fileName,
                                                const std::optional<std::string>& mimeType,
                                                const std::optional<std::string>& fieldName)
{
    if (!data || !canAddFilePart(fileName, mimeType, fieldName))
        return false;
    writeFilePartHeader(*fileName, mimeType, *fieldName);
    writeData(*data);
    writeData(kCRLF);
    return true;
}

bool RIGMultipartMimeStreamEncoder::addFile(const std::filesystem::path& file, const std::optional<std::string>& fileName,
                                            const std::optional<std::string>& mimeType,
                                            const std::optional<std::string>& fieldName)
{
    if (!canAddFilePart(fileName, mimeType, fieldName))
        return false;
    // Only files the kit wrote are sent, and they go piece by piece, never
    // held in memory whole.
    const int fd = files::openOwnFile(file);
    if (fd < 0)
        return false;
    const bool added = addFileContents(fd, std::numeric_limits<std::uint64_t>::max(), fileName, mimeType, fieldName);
    ::close(fd);
    return added;
}

bool RIGMultipartMimeStreamEncoder::addFileContents(int fd, std::uint64_t length, const std::optional<std::string>& fileName,
                                                    const std::optional<std::string>& mimeType,
                                                    const std::optional<std::string>& fieldName)
{
    if (!canAddFilePart(fileName, mimeType, fieldName))
        return false;
    writeFilePartHeader(*fileName, mimeType, *fieldName);
    bool complete = true;
    char buffer[65536];
    for (std::uint64_t offset = 0; offset < length;) {
        const ssize_t got = ::pread(fd, buffer, std::size_t(std::min<std::uint64_t>(sizeof buffer, length - offset)),
                                    off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        offset += std::uint64_t(got);
        if (!writeBytes(buffer, std::size_t(got))) {
            complete = false;
            break;
        }
    }
    // Cut short, the part (and the body) is broken: the caller must not send it.
    if (!complete)
        return false;
    writeData(kCRLF);
    return true;
}

void RIGMultipartMimeStreamEncoder::writeData(std::string_view data)
{
    RIGEnumerateByteRangesInData(data, [&](const std::uint8_t* bytes, ByteRange range, bool& stop) {
        if (range.length == 0)
            return;
        const long written = m_stream->write(bytes + range.location, range.length);
        if (written != long(range.length)) {
            log::always("[Rigging] Failed to write data to stream");
            stop = true;
            return;
        }
        m_length += range.length;
    });
}

bool RIGMultipartMimeStreamEncoder::writeBytes(const void* bytes, std::size_t length)
{
    const long written = m_stream->write(bytes, length);
    if (written != long(length)) {
        log::always("[Rigging] Failed to write bytes to stream");
        return false;
    }
    m_length += length;
    return true;
}

} // namespace qlkit
