// A transfer whose body goes to a temporary file that exists only while the
// completion block or the delegate's finished-downloading call runs.
#pragma once

#include "sdk/HLYURLSession/Tasks/HLYURLSessionDataTask.h"

#include <cstdio>
#include <filesystem>

namespace qlkit {

inline constexpr const char* kHLYURLSessionDownloadTaskErrorDomain = "HLYURLSessionDownloadTaskError";

using DownloadTaskCompletion = std::function<void(const std::optional<std::filesystem::path>& location,
                                                  const std::optional<HTTPURLResponse>& response,
                                                  const std::optional<KitError>& error)>;

class HLYURLSessionDownloadTask final : public HLYURLSessionDataTask {
public:
    HLYURLSessionDownloadTask();
    ~HLYURLSessionDownloadTask() override;

    void setDownloadCompletionHandler(DownloadTaskCompletion handler) { m_downloadCompletionHandler = std::move(handler); }
    const std::filesystem::path& temporaryFileURL() const { return m_fileURL; }
    void cleanup() override;

protected:
    bool receiveData(std::string_view data) override;
    void complete() override;

private:
    bool openStream();
    void closeStream();

    DownloadTaskCompletion m_downloadCompletionHandler;
    std::filesystem::path m_fileURL;
    std::FILE* m_stream = nullptr;
    bool m_streamFailed = false;
};

} // namespace qlkit
