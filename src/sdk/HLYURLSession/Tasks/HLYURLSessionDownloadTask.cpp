#include "sdk/HLYURLSession/Tasks/HLYURLSessionDownloadTask.h"

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/TextForms.h"
#include "sdk/foundation/Paths.h"

namespace qlkit {

HLYURLSessionDownloadTask::HLYURLSessionDownloadTask()
    : m_fileURL(paths::temporaryDirectory() / RIGGenerateUUIDString())
{
}

HLYURLSessionDownloadTask::~HLYURLSessionDownloadTask()
{
    closeStream();
    cleanup();
}

bool HLYURLSessionDownloadTask::openStream()
{
    if (!m_stream && !m_streamFailed) {
        m_stream = std::fopen(m_fileURL.c_str(), "wbx");
        m_streamFailed = m_stream == nullptr;
    }
    return m_stream != nullptr;
}

void HLYURLSessionDownloadTask::closeStream()
{
    if (m_stream && std::fclose(m_stream) != 0)
        m_streamFailed = true;
    m_stream = nullptr;
}

bool HLYURLSessionDownloadTask::receiveData(std::string_view data)
{
    if (!openStream() || std::fwrite(data.data(), 1, data.size(), m_stream) != data.size()) {
        // The file cannot take the data: stop the transfer, fail the task once.
        m_streamFailed = true;
        closeStream();
        if (!error())
            setError(KitError {kHLYURLSessionDownloadTaskErrorDomain, -1, {}, "cannot write " + m_fileURL.string()});
        return false;
    }
    return true;
}

void HLYURLSessionDownloadTask::complete()
{
    // An empty body still leaves a (empty) file for the caller to take.
    if (!error())
        openStream();
    closeStream();
    if (m_streamFailed && !error())
        setError(KitError {kHLYURLSessionDownloadTaskErrorDomain, -1, {}, "cannot write " + m_fileURL.string()});
    const auto failure = error();
    const auto location = failure ? std::nullopt : std::optional<std::filesystem::path>(m_fileURL);
    if (m_downloadCompletionHandler)
        m_downloadCompletionHandler(location, response(), failure);
    auto session = delegate();
    if (!failure && session)
        session->downloadTaskDidFinishDownloadingToURL(*this, m_fileURL);
    else
        cleanup(); // a failed download leaves nothing behind
    if (session)
        session->taskDidCompleteWithError(*this, failure);
}

void HLYURLSessionDownloadTask::cleanup()
{
    std::error_code ec;
    std::filesystem::remove(m_fileURL, ec);
}

} // namespace qlkit
