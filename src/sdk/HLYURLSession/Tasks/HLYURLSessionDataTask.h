// A transfer whose body is collected in memory, or handed to the delegate.
#pragma once

#include "sdk/HLYURLSession/Tasks/HLYURLSessionTask.h"

#include <functional>
#include <string>
#include <string_view>

namespace qlkit {

using DataTaskCompletion = std::function<void(const std::optional<std::string>& data,
                                              const std::optional<HTTPURLResponse>& response,
                                              const std::optional<KitError>& error)>;

class HLYURLSessionDataTask : public HLYURLSessionTask {
public:
    void resume() override;

    void setCompletionHandler(DataTaskCompletion handler) { m_completionHandler = std::move(handler); }
    std::string taskDescription() const;
    void setTaskDescription(std::string description);

protected:
    // Body bytes; false stops the transfer.
    virtual bool receiveData(std::string_view data);
    virtual void complete();

private:
    void run();

    bool m_started = false; // touched on the task's queue only
    DataTaskCompletion m_completionHandler;
    std::optional<std::string> m_receivedData;
    mutable std::mutex m_descriptionMutex;
    std::string m_taskDescription;
};

// An upload: the body is streamed from a file set on the request.
class HLYURLSessionUploadTask final : public HLYURLSessionDataTask {
};

} // namespace qlkit
