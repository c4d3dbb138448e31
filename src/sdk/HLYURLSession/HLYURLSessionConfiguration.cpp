#include "sdk/HLYURLSession/HLYURLSessionConfiguration.h"

namespace qlkit {

std::shared_ptr<HLYURLSessionConfiguration> HLYURLSessionConfiguration::defaultSessionConfiguration()
{
    return std::make_shared<HLYURLSessionConfiguration>();
}

std::shared_ptr<HLYURLSessionConfiguration> HLYURLSessionConfiguration::ephemeralSessionConfiguration()
{
    return std::make_shared<HLYURLSessionConfiguration>();
}

std::shared_ptr<HLYURLSessionConfiguration>
HLYURLSessionConfiguration::backgroundSessionConfigurationWithIdentifier(const std::string&)
{
    return nullptr;
}

std::shared_ptr<HLYURLSessionConfiguration> HLYURLSessionConfiguration::backgroundSessionConfiguration(const std::string& identifier)
{
    return backgroundSessionConfigurationWithIdentifier(identifier);
}

std::shared_ptr<HLYURLSessionConfiguration> HLYURLSessionConfiguration::copy() const
{
    auto copy = std::make_shared<HLYURLSessionConfiguration>();
    copy->HTTPAdditionalHeaders = HTTPAdditionalHeaders;
    return copy;
}

} // namespace qlkit
