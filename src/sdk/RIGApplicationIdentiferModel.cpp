#include "sdk/RIGApplicationIdentiferModel.h"

#include "sdk/ApplicationInfo.h"
#include "sdk/ElfImage.h"
#include "sdk/TextForms.h"

#include <algorithm>
#include <vector>

namespace qlkit {
namespace {

std::string formatVersion(RIGVersion version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.bugfix);
}

} // namespace

std::shared_ptr<RIGApplicationIdentiferModel> RIGApplicationIdentiferModel::initWithInstallID(const std::string& installID)
{
    return initWithInstallID(installID, "/proc/self/exe");
}

std::shared_ptr<RIGApplicationIdentiferModel>
RIGApplicationIdentiferModel::initWithInstallID(const std::string& installID, const std::string& executablePath)
{
    auto model = std::make_shared<RIGApplicationIdentiferModel>();
    if (!model->computeExecutableInfo(executablePath))
        return nullptr;
    model->computeInstanceIdentifier();
    model->m_icon = RIGAppIconUtility().applicationIcon();
    model->m_installID = installID;
    model->m_bundleIdentifier = RIGApplicationBundleIdentifier();
    return model;
}

std::string RIGApplicationIdentiferModel::builtSDKString() const { return formatVersion(m_builtSDK); }

std::string RIGApplicationIdentiferModel::minimumSDKString() const { return formatVersion(m_minimumSDK); }

bool RIGApplicationIdentiferModel::computeExecutableInfo(const std::string& executablePath)
{
    RIGElfFile file;
    if (!RIGElfFileInitWithPath(&file, executablePath.c_str()))
        return false;
    Map map;
    // An ELF file holds one architecture; its build-id plays the part of the
    // per-slice identifier.
    if (auto id = RIGElfFileGetBuildID(&file))
        map.set(RIGElfFileGetArchitectureName(&file), RIGElfFormatBuildID(*id));
    RIGElfFileDestroy(&file);
    m_architectureUUIDMap = std::move(map);
    return true;
}

bool RIGApplicationIdentiferModel::computeInstanceIdentifier()
{
    m_instanceIdentifier = instanceIdentifierForMap(m_architectureUUIDMap);
    return true;
}

std::string RIGApplicationIdentiferModel::instanceIdentifierForMap(const Map& architectureUUIDMap)
{
    std::vector<std::string> names;
    for (const auto& [name, value] : architectureUUIDMap)
        names.push_back(name);
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto& name : names)
        joined += architectureUUIDMap.find(name)->description();
    return RIGSHA1HexStringFromData(joined);
}

} // namespace qlkit
