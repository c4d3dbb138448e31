#include "crash/kit/HLYRequestHeaders.h"

#include "crash/HalyardConstants.h"
#include "sdk/KitConstants.h"
#include "sdk/network/RIGNetworkOperation.h"

namespace qlkit {

void HLYSetKitRequestHeaders(URLRequest& request, const std::string& apiKey)
{
    const std::string locale = RIGNetworkOperation::localeIdentifier();
    request.setValue(kHalyardGenerator, "User-Agent");
    request.setValue("application/json", "Accept");
    request.setValue("utf-8", "Accept-Charset");
    request.setValue(locale, "Accept-Language");
    request.setValue(locale, "Content-Language");
    request.setValue(kDeveloperToken, "X-Halyard-Developer-Token");
    request.setValue(kHalyardKitIdentifier, "X-Halyard-API-Client-Id");
    request.setValue(kHalyardDisplayVersion, "X-Halyard-API-Client-Display-Version");
    request.setValue(kHalyardBuildVersion, "X-Halyard-API-Client-Build-Version");
    request.setValue(apiKey, "X-Halyard-API-Key");
}

} // namespace qlkit
