#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include "sdk/TextForms.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"

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

bool RIGMultipartMimeStreamEncoder::addFileData(const std::optional<std::string>& data,
                                                const std::optional<std::string>& fileName,
                                                const std::optional<std::string>& mimeType,
                                                const std::optional<std::string>& fieldName)
{
    if (!data || !fileName || !fieldName || !safeName(*fieldName) || !safeName(*fileName))
        return false;
    if (mimeType && mimeType->find_first_of("\r\n") != std::string::npos)
        return false;
    writeData("--" + m_boundary + std::string(kCRLF));
    writeData("Content-Disposition: form-data; name=\"" + *fieldName + "\"; filename=\"" + *fileName + "\"\r\n");
    if (mimeType)
        writeData("Content-Type: " + *mimeType + "\r\nContent-Transfer-Encoding: binary\r\n\r\n");
    else
        writeData("Content-Type: application/octet-stream\r\n\r\n");
    writeData(*data);
    writeData(kCRLF);
    return true;
}

bool RIGMultipartMimeStreamEncoder::addFile(const std::filesystem::path& file, const std::optional<std::string>& fileName,
                                            const std::optional<std::string>& mimeType,
                                            const std::optional<std::string>& fieldName)
{
    const auto contents = files::readFile(file);
    if (!contents)
        return false;
    return addFileData(contents, fileName, mimeType, fieldName);
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
