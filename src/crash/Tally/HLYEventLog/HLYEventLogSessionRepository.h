// The folder tree of analytics sessions:
//   root/v1/<state>/<session ts>_<session id>/<fragment ts>_<fragment id>/<p>.log[.zip]
// It makes folders on demand (clearing files in the way), lists sessions,
// fragments and logs sorted by name (hidden entries never count), moves a
// fragment through its "prep" stage, deletes fragments and logs with the
// parents they leave empty, and cleans up whatever does not belong. Folders
// another process holds locked are in its hands: listings still show them,
// but clean-up and purges leave them alone. A fragment folder is only ever
// removed whole under its own lock; the parents it leaves are removed only
// while empty.
#pragma once

#include "sdk/network/KitError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYEventLogSessionRepository {
public:
    using URL = std::filesystem::path;
    using URLs = std::vector<URL>;
    enum class ItemType { File = 0, Directory = 1 };

    static constexpr const char* kActiveStateName = "ACTIVE";
    static constexpr const char* kPackagedStateName = "PACKAGED";

    // "0.log", "1.log", "2.log"; no name for other priorities.
    static std::optional<std::string> activeEventLogFileNameForPriority(std::uint64_t priority);
    // The priority of "p.log" or of "p.log" with one more extension ("1.log.zip"); -1 otherwise.
    static std::int64_t priorityForEventLogFileWithName(const std::string& name);
    static std::string sessionDirectoryNameWithIdentifier(const std::string& identifier, std::uint64_t timestamp);
    static std::string sessionFragmentDirectoryNameWithIdentifier(const std::string& identifier,
                                                                  std::uint64_t timestamp);
    static URL prepDirectoryForDirectoryURL(const URL& url);
    static bool isPrepDirectoryURL(const URL& url);
    static URL stateDirectoryURLForSessionDirectoryURL(const URL& url) { return url.parent_path(); }
    static URL sessionDirectoryURLForSessionFragmentDirectoryURL(const URL& url) { return url.parent_path(); }
    static URL sessionFragmentDirectoryURLForLogFileURL(const URL& url) { return url.parent_path(); }

    explicit HLYEventLogSessionRepository(URL rootDirectoryURL);
    const URL& rootDirectoryURL() const { return m_rootDirectoryURL; }
    std::string versionDirectoryName() const { return "v1"; }

    // Every operation below answers nothing or false on failure, with the
    // file system's error; what was done before the failure stays done.
    std::optional<URL> statesDirectoryURL(KitError* error);
    std::optional<URL> stateDirectoryURLForStateName(const std::string& state, KitError* error);
    std::optional<URL> sessionDirectoryURLForStateName(const std::string& state, const std::string& sessionIdentifier,
                                                       std::uint64_t sessionTimestamp, KitError* error);
    std::optional<URL> sessionFragmentDirectoryURLForStateName(const std::string& state,
                                                               const std::string& sessionIdentifier,
                                                               std::uint64_t sessionTimestamp,
                                                               const std::string& sessionFragmentIdentifier,
                                                               std::uint64_t sessionFragmentTimestamp, KitError* error);
    // The fragment folder is made; the log itself is not.
    std::optional<URL> eventLogFileURLForStateName(const std::string& state, const std::string& sessionIdentifier,
                                                   std::uint64_t sessionTimestamp,
                                                   const std::string& sessionFragmentIdentifier,
                                                   std::uint64_t sessionFragmentTimestamp, std::uint64_t eventPriority,
                                                   KitError* error);
    std::optional<URLs> sessionDirectoryURLsForStateName(const std::string& state, KitError* error);
    std::optional<URLs> sessionFragmentDirectoryURLsForSessionDirectory(const URL& session, KitError* error);
    std::optional<URLs> logFileURLsForSessionFragmentDirectory(const URL& fragment, KitError* error);
    std::optional<URLs> logFileURLsForAllStates(KitError* error);

    // The fragment's prep folder in the target state, made.
    std::optional<URL> prepSessionFragmentDirectoryURLForStateName(const std::string& state, const URL& fragment,
                                                                   KitError* error);
    // Renames the prep folder to its name without "prep", replacing what
    // stands there; nothing (and no error) for a folder that is no prep folder.
    std::optional<URL> removePrepStatusFromSessionFragmentDirectoryURL(const URL& prep, KitError* error);
    bool purgePrepSessionFragmentDirectoriesForStateName(const std::string& state, KitError* error);
    // The fragment, held (refused when someone else holds it) and taken
    // apart, then its session and state folders while they are empty.
    bool removeSessionFragmentDirectory(const URL& fragment, KitError* error);
    bool removeLogFile(const URL& log, KitError* error);

    bool deleteItemAtURL(const URL& url, KitError* error);
    bool deleteItemAtPathIfNotOfType(const URL& path, ItemType type, KitError* error);
    bool createDirectoryWithURL(const URL& url, KitError* error);
    bool createFileWithURL(const URL& url, KitError* error);
    std::optional<URLs> contentsOfDirectoryURL(const URL& url, KitError* error);
    URLs arrayByFilteringNonDirectoriesFromURLs(const URLs& urls) const;
    bool isDirectoryURL(const URL& url) const;
    bool itemURLHasNameMatching(const URL& url, const std::string& name) const;
    bool itemURLHasPathExtensionMatching(const URL& url, const std::string& extension) const;

    // Clean-up of the whole tree; the open fragment and folders locked by
    // anyone are spared and not entered.
    bool cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL(const URL& openFragment, KitError* error);
    // The rules of each level: *shouldDelete tells whether the item is to go.
    bool cleanUpStateDirectoryURL(const URL& url, const URL& openFragment, bool* shouldDelete, KitError* error);
    bool cleanUpSessionDirectoryURL(const URL& url, const URL& openFragment, bool* shouldDelete, KitError* error);
    bool cleanUpSessionFragmentDirectoryURL(const URL& url, bool* shouldDelete, KitError* error);
    bool cleanUpLogFileURL(const URL& url, bool* shouldDelete, KitError* error);
    using CleanUpRule = std::function<bool(const URL& item, bool* shouldDelete, KitError* error)>;
    // A folder is to go exactly when nothing inside it stays. What the rule
    // judged to go is unlinked, or, for a folder, removed only while empty:
    // anything put there since the listing keeps it. Strays are taken whole
    // by the rules themselves, fragments only under their own lock. A child
    // gone since the listing keeps the folder too.
    bool cleanUpDirectoryURL(const URL& url, bool* shouldDelete, KitError* error, const CleanUpRule& rule);

private:
    bool isLogFileURL(const URL& url) const;
    // The fragment folder alone, held first (refused with EBUSY when someone
    // else holds it).
    bool removeSessionFragmentDirectoryOnly(const URL& fragment, KitError* error);
    // Takes apart a folder this process holds locked, renamed aside first so
    // that nobody can list or lock it while it goes.
    bool removeHeldDirectory(const URL& url, KitError* error);
    void removeLeftoversOfInterruptedRemovals(const URL& folder);
    bool removeJudgedItem(const URL& url, bool* kept, KitError* error);
    // Removes an empty session folder, then an empty state folder.
    void removeEmptyParentsOfFragment(const URL& fragment);

    URL m_rootDirectoryURL;
};

} // namespace qlkit
