#include "crash/Tally/HLYEventLog/HLYEventLogSessionRepository.h"

#include "crash/Tally/HLYEventLog/HLYFileSystemError.h"
#include "crash/reports/HLYFileLock.h"
#include "sdk/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qlkit {
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kPriorities = 3;
constexpr const char* kPrepExtension = "prep";
// Folders being taken apart are first renamed to a hidden name with this
// prefix: no listing shows them and nobody can lock them at their old path.
constexpr std::string_view kRemovingPrefix = ".removing.";

std::int64_t priorityOfActiveName(const std::string& name)
{
    for (std::uint64_t priority = 0; priority < kPriorities; ++priority)
        if (name == *HLYEventLogSessionRepository::activeEventLogFileNameForPriority(priority))
            return std::int64_t(priority);
    return -1;
}

bool fail(KitError* error, const std::error_code& code, const std::string& what)
{
    if (error)
        *error = HLYFileSystemError(code, what);
    return false;
}

bool isHidden(const fs::path& url)
{
    const std::string name = url.filename().string();
    return !name.empty() && name[0] == '.';
}

fs::path asideName(const fs::path& url)
{
    static std::atomic<std::uint64_t> counter {0};
    return url.parent_path()
           / (std::string(kRemovingPrefix) + std::to_string(::getpid()) + "." + std::to_string(++counter) + "."
              + url.filename().string());
}

// The extension as the platform's URLs give it: without the dot, and none
// for a name that only starts with one.
std::string pathExtension(const fs::path& url)
{
    const std::string extension = url.filename().extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

// Every rule must be able to give its verdict: a missing out-parameter is a
// programming error.
void requireShouldDelete(const bool* shouldDelete, const char* operation)
{
    if (shouldDelete)
        return;
    log::always(std::string("[Halyard:Tally] Assertion failure in ") + operation
                + ", HLYEventLogSessionRepository: nil != outShouldDelete");
    std::abort();
}

} // namespace

std::optional<std::string> HLYEventLogSessionRepository::activeEventLogFileNameForPriority(std::uint64_t priority)
{
    if (priority >= kPriorities)
        return std::nullopt;
    return std::to_string(priority) + ".log";
}

std::int64_t HLYEventLogSessionRepository::priorityForEventLogFileWithName(const std::string& name)
{
    if (const auto priority = priorityOfActiveName(name); priority >= 0)
        return priority;
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return -1;
    return priorityOfActiveName(name.substr(0, dot));
}

std::string HLYEventLogSessionRepository::sessionDirectoryNameWithIdentifier(const std::string& identifier,
                                                                             std::uint64_t timestamp)
{
    return std::to_string(timestamp) + "_" + identifier;
}

std::string HLYEventLogSessionRepository::sessionFragmentDirectoryNameWithIdentifier(const std::string& identifier,
                                                                                     std::uint64_t timestamp)
{
    return sessionDirectoryNameWithIdentifier(identifier, timestamp);
}

fs::path HLYEventLogSessionRepository::prepDirectoryForDirectoryURL(const URL& url)
{
    URL prep = url;
    prep += std::string(".") + kPrepExtension;
    return prep;
}

bool HLYEventLogSessionRepository::isPrepDirectoryURL(const URL& url) { return pathExtension(url) == kPrepExtension; }

HLYEventLogSessionRepository::HLYEventLogSessionRepository(URL rootDirectoryURL)
    : m_rootDirectoryURL(std::move(rootDirectoryURL))
{
}

std::optional<fs::path> HLYEventLogSessionRepository::statesDirectoryURL(KitError* error)
{
    const URL url = m_rootDirectoryURL / versionDirectoryName();
    return createDirectoryWithURL(url, error) ? std::optional<URL>(url) : std::nullopt;
}

std::optional<fs::path> HLYEventLogSessionRepository::stateDirectoryURLForStateName(const std::string& state,
                                                                                    KitError* error)
{
    const auto states = statesDirectoryURL(error);
    if (!states || !createDirectoryWithURL(*states / state, error))
        return std::nullopt;
    return *states / state;
}

std::optional<fs::path> HLYEventLogSessionRepository::sessionDirectoryURLForStateName(
    const std::string& state, const std::string& sessionIdentifier, std::uint64_t sessionTimestamp, KitError* error)
{
    const auto stateURL = stateDirectoryURLForStateName(state, error);
    if (!stateURL)
        return std::nullopt;
    const URL url = *stateURL / sessionDirectoryNameWithIdentifier(sessionIdentifier, sessionTimestamp);
    return createDirectoryWithURL(url, error) ? std::optional<URL>(url) : std::nullopt;
}

std::optional<fs::path> HLYEventLogSessionRepository::sessionFragmentDirectoryURLForStateName(
    const std::string& state, const std::string& sessionIdentifier, std::uint64_t sessionTimestamp,
    const std::string& sessionFragmentIdentifier, std::uint64_t sessionFragmentTimestamp, KitError* error)
{
    // Level by level, so that a stray file at any level is cleared rather
    // than blocking every fragment from then on.
    const auto session = sessionDirectoryURLForStateName(state, sessionIdentifier, sessionTimestamp, error);
    if (!session)
        return std::nullopt;
    const URL url = *session / sessionFragmentDirectoryNameWithIdentifier(sessionFragmentIdentifier, sessionFragmentTimestamp);
    return createDirectoryWithURL(url, error) ? std::optional<URL>(url) : std::nullopt;
}

std::optional<fs::path> HLYEventLogSessionRepository::eventLogFileURLForStateName(
    const std::string& state, const std::string& sessionIdentifier, std::uint64_t sessionTimestamp,
    const std::string& sessionFragmentIdentifier, std::uint64_t sessionFragmentTimestamp, std::uint64_t eventPriority,
    KitError* error)
{
    const auto name = activeEventLogFileNameForPriority(eventPriority);
    if (!name) {
        fail(error, std::make_error_code(std::errc::invalid_argument), "no log for priority " + std::to_string(eventPriority));
        return std::nullopt;
    }
    const auto fragment = sessionFragmentDirectoryURLForStateName(state, sessionIdentifier, sessionTimestamp,
                                                                  sessionFragmentIdentifier, sessionFragmentTimestamp,
                                                                  error);
    if (!fragment)
        return std::nullopt;
    return *fragment / *name;
}

std::optional<HLYEventLogSessionRepository::URLs>
HLYEventLogSessionRepository::sessionDirectoryURLsForStateName(const std::string& state, KitError* error)
{
    const auto stateURL = stateDirectoryURLForStateName(state, error);
    if (!stateURL)
        return std::nullopt;
    const auto contents = contentsOfDirectoryURL(*stateURL, error);
    if (!contents)
        return std::nullopt;
    return arrayByFilteringNonDirectoriesFromURLs(*contents);
}

std::optional<HLYEventLogSessionRepository::URLs>
HLYEventLogSessionRepository::sessionFragmentDirectoryURLsForSessionDirectory(const URL& session, KitError* error)
{
    const auto contents = contentsOfDirectoryURL(session, error);
    if (!contents)
        return std::nullopt;
    return arrayByFilteringNonDirectoriesFromURLs(*contents);
}

bool HLYEventLogSessionRepository::isLogFileURL(const URL& url) const
{
    return (itemURLHasPathExtensionMatching(url, "log") || itemURLHasPathExtensionMatching(url, "zip"))
           && !isDirectoryURL(url);
}

std::optional<HLYEventLogSessionRepository::URLs>
HLYEventLogSessionRepository::logFileURLsForSessionFragmentDirectory(const URL& fragment, KitError* error)
{
    auto contents = contentsOfDirectoryURL(fragment, error);
    if (!contents)
        return std::nullopt;
    std::erase_if(*contents, [this](const URL& url) { return !isLogFileURL(url); });
    return contents;
}

std::optional<HLYEventLogSessionRepository::URLs> HLYEventLogSessionRepository::logFileURLsForAllStates(KitError* error)
{
    URLs logs;
    for (const char* state : {kActiveStateName, kPackagedStateName}) {
        const auto sessions = sessionDirectoryURLsForStateName(state, error);
        if (!sessions)
            return std::nullopt;
        for (const auto& session : *sessions) {
            const auto fragments = sessionFragmentDirectoryURLsForSessionDirectory(session, error);
            if (!fragments)
                return std::nullopt;
            for (const auto& fragment : *fragments) {
                const auto found = logFileURLsForSessionFragmentDirectory(fragment, error);
                if (!found)
                    return std::nullopt;
                logs.insert(logs.end(), found->begin(), found->end());
            }
        }
    }
    return logs;
}

std::optional<fs::path> HLYEventLogSessionRepository::prepSessionFragmentDirectoryURLForStateName(
    const std::string& state, const URL& fragment, KitError* error)
{
    const URL relative = fragment.relative_path();
    if (std::distance(relative.begin(), relative.end()) < 3)
        return std::nullopt;
    const auto stateURL = stateDirectoryURLForStateName(state, error);
    if (!stateURL)
        return std::nullopt;
    const URL session = *stateURL / fragment.parent_path().filename();
    if (!createDirectoryWithURL(session, error))
        return std::nullopt;
    const URL prep = prepDirectoryForDirectoryURL(session / fragment.filename());
    return createDirectoryWithURL(prep, error) ? std::optional<URL>(prep) : std::nullopt;
}

std::optional<fs::path> HLYEventLogSessionRepository::removePrepStatusFromSessionFragmentDirectoryURL(const URL& prep,
                                                                                                      KitError* error)
{
    if (!isPrepDirectoryURL(prep))
        return std::nullopt;
    URL target = prep;
    target.replace_extension();
    // A folder of the name may be another instance's upload: it is replaced
    // only when it can be held.
    if (!removeSessionFragmentDirectoryOnly(target, error))
        return std::nullopt;
    std::error_code code;
    fs::rename(prep, target, code);
    if (code) {
        fail(error, code, "rename " + prep.string());
        return std::nullopt;
    }
    return target;
}

bool HLYEventLogSessionRepository::purgePrepSessionFragmentDirectoriesForStateName(const std::string& state,
                                                                                   KitError* error)
{
    const auto sessions = sessionDirectoryURLsForStateName(state, error);
    if (!sessions)
        return false;
    for (const auto& session : *sessions) {
        const auto fragments = sessionFragmentDirectoryURLsForSessionDirectory(session, error);
        if (!fragments)
            return false;
        for (const auto& fragment : *fragments) {
            if (!isPrepDirectoryURL(fragment))
                continue;
            // A prep folder another process is filling is not left over.
            const auto lock = HLYFileLock::tryLock(fragment, true);
            if (lock && !removeHeldDirectory(fragment, error))
                return false;
        }
    }
    return true;
}

void HLYEventLogSessionRepository::removeEmptyParentsOfFragment(const URL& fragment)
{
    // rmdir, not a recursive removal: whatever appears in a parent meanwhile
    // keeps it, and a failure here only leaves an empty folder behind.
    std::error_code code;
    const URL session = sessionDirectoryURLForSessionFragmentDirectoryURL(fragment);
    const auto sessionContents = contentsOfDirectoryURL(session, nullptr);
    if (!sessionContents || !sessionContents->empty() || !fs::remove(session, code))
        return;
    const URL state = stateDirectoryURLForSessionDirectoryURL(session);
    const auto stateContents = contentsOfDirectoryURL(state, nullptr);
    if (stateContents && stateContents->empty())
        fs::remove(state, code);
}

bool HLYEventLogSessionRepository::removeSessionFragmentDirectoryOnly(const URL& fragment, KitError* error)
{
    std::error_code code;
    const auto status = fs::symlink_status(fragment, code);
    if (!fs::exists(status))
        return true;
    if (!fs::is_directory(status))
        return deleteItemAtURL(fragment, error);
    std::unique_ptr<HLYFileLock> taken;
    if (!HLYFileLock::isHeldHere(fragment) && !(taken = HLYFileLock::tryLock(fragment, true))) {
        // Gone since we looked: nothing left to do.
        if (!fs::exists(fs::symlink_status(fragment, code)))
            return true;
        return fail(error, std::make_error_code(std::errc::device_or_resource_busy), "in use: " + fragment.string());
    }
    return removeHeldDirectory(fragment, error);
}

bool HLYEventLogSessionRepository::removeSessionFragmentDirectory(const URL& fragment, KitError* error)
{
    if (!removeSessionFragmentDirectoryOnly(fragment, error))
        return false;
    removeEmptyParentsOfFragment(fragment);
    return true;
}

bool HLYEventLogSessionRepository::removeHeldDirectory(const URL& url, KitError* error)
{
    const URL aside = asideName(url);
    std::error_code code;
    fs::rename(url, aside, code);
    if (code == std::errc::no_such_file_or_directory)
        return true;
    if (code)
        return fail(error, code, "rename " + url.string());
    // Someone who opened the folder just before the rename may still drop a
    // lock file into it; a second pass takes that too.
    if (fs::remove_all(aside, code); code)
        fs::remove_all(aside, code);
    return !code || fail(error, code, "remove " + aside.string());
}

void HLYEventLogSessionRepository::removeLeftoversOfInterruptedRemovals(const URL& folder)
{
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kRemovingPrefix, 0) != 0)
            continue;
        // Left to its remover while that process runs: a lock file made in
        // it now could only get in its way.
        const long remover = std::strtol(name.c_str() + kRemovingPrefix.size(), nullptr, 10);
        if (remover > 0 && (::kill(pid_t(remover), 0) == 0 || errno == EPERM))
            continue;
        if (const auto lock = HLYFileLock::tryLock(it->path(), true)) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
}

bool HLYEventLogSessionRepository::removeJudgedItem(const URL& url, bool* kept, KitError* error)
{
    *kept = false;
    std::error_code code;
    const auto status = fs::symlink_status(url, code);
    if (!fs::exists(status))
        return true; // the rule took it already
    if (::access(url.parent_path().c_str(), W_OK) != 0) {
        *kept = true; // not deletable: left as it is
        return true;
    }
    if ((fs::is_directory(status) ? ::rmdir(url.c_str()) : ::unlink(url.c_str())) == 0 || errno == ENOENT)
        return true;
    if (errno == ENOTEMPTY || errno == EEXIST) {
        *kept = true; // something was put there since the listing
        return true;
    }
    return fail(error, std::error_code(errno, std::generic_category()), "remove " + url.string());
}

bool HLYEventLogSessionRepository::removeLogFile(const URL& log, KitError* error)
{
    if (!deleteItemAtURL(log, error))
        return false;
    const URL fragment = sessionFragmentDirectoryURLForLogFileURL(log);
    const auto contents = contentsOfDirectoryURL(fragment, error);
    if (!contents)
        return false;
    return !contents->empty() || removeSessionFragmentDirectory(fragment, error);
}

bool HLYEventLogSessionRepository::deleteItemAtURL(const URL& url, KitError* error)
{
    std::error_code code;
    if (!fs::exists(fs::symlink_status(url, code)) || ::access(url.parent_path().c_str(), W_OK) != 0)
        return true; // not deletable: left as it is
    fs::remove_all(url, code);
    return !code || fail(error, code, "remove " + url.string());
}

bool HLYEventLogSessionRepository::deleteItemAtPathIfNotOfType(const URL& path, ItemType type, KitError* error)
{
    std::error_code code;
    const auto status = fs::symlink_status(path, code);
    if (!fs::exists(status))
        return true;
    const bool isDirectory = fs::is_directory(status);
    if (isDirectory == (type == ItemType::Directory))
        return true;
    fs::remove_all(path, code);
    return !code || fail(error, code, "remove " + path.string());
}

bool HLYEventLogSessionRepository::createDirectoryWithURL(const URL& url, KitError* error)
{
    if (!deleteItemAtPathIfNotOfType(url, ItemType::Directory, error))
        return false;
    std::error_code code;
    if (fs::is_directory(url, code))
        return true;
    fs::create_directories(url, code);
    return !code || fail(error, code, "create " + url.string());
}

bool HLYEventLogSessionRepository::createFileWithURL(const URL& url, KitError* error)
{
    if (!deleteItemAtPathIfNotOfType(url, ItemType::File, error))
        return false;
    const int descriptor = ::open(url.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return fail(error, std::error_code(errno, std::generic_category()), "create " + url.string());
    ::close(descriptor);
    return true;
}

std::optional<HLYEventLogSessionRepository::URLs> HLYEventLogSessionRepository::contentsOfDirectoryURL(const URL& url,
                                                                                                       KitError* error)
{
    URLs items;
    std::error_code code;
    for (fs::directory_iterator it(url, code), end; !code && it != end; it.increment(code))
        if (!isHidden(it->path()))
            items.push_back(it->path());
    if (code) {
        fail(error, code, "list " + url.string());
        return std::nullopt;
    }
    std::sort(items.begin(), items.end());
    return items;
}

HLYEventLogSessionRepository::URLs HLYEventLogSessionRepository::arrayByFilteringNonDirectoriesFromURLs(const URLs& urls) const
{
    URLs folders;
    std::copy_if(urls.begin(), urls.end(), std::back_inserter(folders), [this](const URL& url) { return isDirectoryURL(url); });
    return folders;
}

bool HLYEventLogSessionRepository::isDirectoryURL(const URL& url) const
{
    std::error_code code;
    return fs::is_directory(fs::symlink_status(url, code));
}

bool HLYEventLogSessionRepository::itemURLHasNameMatching(const URL& url, const std::string& name) const
{
    return url.filename() == name;
}

bool HLYEventLogSessionRepository::itemURLHasPathExtensionMatching(const URL& url, const std::string& extension) const
{
    return pathExtension(url) == extension;
}

bool HLYEventLogSessionRepository::cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL(const URL& openFragment,
                                                                                                 KitError* error)
{
    const auto states = statesDirectoryURL(error);
    if (!states)
        return false;
    bool shouldDelete = false;
    // The version folder itself stays whatever the verdict.
    return cleanUpDirectoryURL(*states, &shouldDelete, error, [&](const URL& item, bool* deleteItem, KitError* failure) {
        return cleanUpStateDirectoryURL(item, openFragment, deleteItem, failure);
    });
}

bool HLYEventLogSessionRepository::cleanUpStateDirectoryURL(const URL& url, const URL& openFragment, bool* shouldDelete,
                                                            KitError* error)
{
    requireShouldDelete(shouldDelete, "cleanUpStateDirectoryURL");
    if (!itemURLHasNameMatching(url, kActiveStateName) && !itemURLHasNameMatching(url, kPackagedStateName)) {
        // A stray holds nobody's events: it goes whole, at once.
        *shouldDelete = true;
        return deleteItemAtURL(url, error);
    }
    return cleanUpDirectoryURL(url, shouldDelete, error, [&](const URL& item, bool* deleteItem, KitError* failure) {
        return cleanUpSessionDirectoryURL(item, openFragment, deleteItem, failure);
    });
}

bool HLYEventLogSessionRepository::cleanUpSessionDirectoryURL(const URL& url, const URL& openFragment,
                                                              bool* shouldDelete, KitError* error)
{
    requireShouldDelete(shouldDelete, "cleanUpSessionDirectoryURL");
    const URL open = openFragment.lexically_normal();
    if (isDirectoryURL(url))
        removeLeftoversOfInterruptedRemovals(url);
    return cleanUpDirectoryURL(url, shouldDelete, error, [&](const URL& item, bool* deleteItem, KitError* failure) {
        if (item.lexically_normal() == open)
            return true;
        if (!isDirectoryURL(item))
            return cleanUpSessionFragmentDirectoryURL(item, deleteItem, failure);
        // Folders someone holds (this process included) are in use; the
        // lock also keeps anyone from taking this one while it is judged,
        // and only a fragment held so is taken apart.
        const auto lock = HLYFileLock::tryLock(item, true);
        if (!lock)
            return true;
        if (!cleanUpSessionFragmentDirectoryURL(item, deleteItem, failure))
            return false;
        return !*deleteItem || removeHeldDirectory(item, failure);
    });
}

bool HLYEventLogSessionRepository::cleanUpSessionFragmentDirectoryURL(const URL& url, bool* shouldDelete,
                                                                      KitError* error)
{
    requireShouldDelete(shouldDelete, "cleanUpSessionFragmentDirectoryURL");
    return cleanUpDirectoryURL(url, shouldDelete, error, [this](const URL& item, bool* deleteItem, KitError* failure) {
        return cleanUpLogFileURL(item, deleteItem, failure);
    });
}

bool HLYEventLogSessionRepository::cleanUpLogFileURL(const URL& url, bool* shouldDelete, KitError* error)
{
    requireShouldDelete(shouldDelete, "cleanUpLogFileURL");
    *shouldDelete = !isLogFileURL(url);
    // A folder where a log belongs goes whole: its fragment is held.
    return !*shouldDelete || !isDirectoryURL(url) || deleteItemAtURL(url, error);
}

bool HLYEventLogSessionRepository::cleanUpDirectoryURL(const URL& url, bool* shouldDelete, KitError* error,
                                                       const CleanUpRule& rule)
{
    requireShouldDelete(shouldDelete, "cleanUpDirectoryURL");
    *shouldDelete = true;
    if (!isDirectoryURL(url))
        return true;
    const auto items = contentsOfDirectoryURL(url, error);
    if (!items)
        return false;
    for (const auto& item : *items) {
        std::error_code code;
        // Gone since the listing: someone else is at work here.
        if (!fs::exists(fs::symlink_status(item, code))) {
            *shouldDelete = false;
            continue;
        }
        bool deleteItem = false;
        if (!rule(item, &deleteItem, error))
            return false;
        bool kept = !deleteItem;
        if (deleteItem && !removeJudgedItem(item, &kept, error))
            return false;
        if (kept)
            *shouldDelete = false;
    }
    return true;
}

} // namespace qlkit
