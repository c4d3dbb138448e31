// Session maintenance of HLYAnalyticsController: the chain of five steps
// (new fragment, packaging, upload, pruning, clean-up) and its timer.
#include "crash/Tally/HLYAnalyticsController.h"

#include "crash/HalyardConstants.h"
#include "crash/Tally/HLYEventLog/HLYFileSystemError.h"
#include "crash/Tally/HLYEventLog/HLYGzipFile.h"
#include "crash/reports/HLYFileLock.h"
#include "sdk/HLYUserDefaults.h"
#include "sdk/foundation/Clock.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {
namespace fs = std::filesystem;
using Repository = HLYEventLogSessionRepository;

namespace {

// Logs a failed step in debug and goes on: one step's trouble never stops the chain.
HLYAnalyticsController::Completion thenRun(const char* failure, std::function<void()> next)
{
    return [failure, next = std::move(next)](const std::optional<KitError>& error) {
        if (error)
            log::debugOnly(std::string("[Halyard:Tally] ") + failure + " {" + error->describe() + "}");
        next();
    };
}

// A log the kit cannot have written goes with a line in the log: kept, it
// would be refused at every maintenance. Only the kit's own name of it goes:
// a file hard-linked in keeps its other names.
bool keepLogToSend(const fs::path& log, std::uint64_t maximumLength)
{
    struct stat status {};
    if (::lstat(log.c_str(), &status) != 0)
        return false; // gone: nothing to send
    std::string problem;
    if (!S_ISREG(status.st_mode))
        problem = "not a regular file";
    else if (status.st_nlink > 1)
        problem = "a file with other names, not written here";
    else if (std::uint64_t(status.st_size) > maximumLength)
        problem = std::to_string(status.st_size) + " bytes, more than any log of ours";
    else
        return true;
    log::always("[Halyard:Tally] Dropping " + log.string() + ": " + problem);
    ::unlink(log.c_str());
    return false;
}

// Compresses the log as far as it reaches when opened, never past
// `maximumLength`: what another process goes on appending stays behind.
bool gzipInto(const fs::path& source, const fs::path& destination, std::uint64_t maximumLength, KitError* error)
{
    std::FILE* in = files::streamOf(files::openOwnFile(source), "rb");
    struct stat status {};
    if (in && ::fstat(::fileno(in), &status) == 0)
        maximumLength = std::min(maximumLength, std::uint64_t(status.st_size));
    std::FILE* out = in ? files::streamOf(files::createOwnFile(destination), "wb") : nullptr;
    const int opened = errno;
    const bool packed = in && out && HLYGzipFile(in, out, maximumLength) == 0;
    const bool closed = (!out || std::fclose(out) == 0) && packed;
    if (in)
        std::fclose(in);
    if (closed)
        return true;
    if (error)
        *error = HLYFileSystemError(in && out ? EIO : opened, "compress " + source.string());
    return false;
}

} // namespace

void HLYAnalyticsController::runStep(std::function<bool(KitError*)> work, Completion completion)
{
    m_sessionMaintenanceQueue->async([work = std::move(work), completion = std::move(completion)] {
        KitError error;
        if (work(&error))
            completion(std::nullopt);
        else
            completion(error);
    });
}

void HLYAnalyticsController::maintainSessionFragments(Completion completion)
{
    beginActivity();
    auto self = shared_from_this();
    auto finish = [self, completion = std::move(completion)] {
        self->saveLastMaintenanceDate(Date {Clock::shared()->wallNow()});
        completion(std::nullopt);
        self->endActivity();
    };
    auto cleanUp = [self, finish] { self->cleanUpRepository(thenRun("Unable to clean up session repository", finish)); };
    auto prune = [self, cleanUp] {
        self->pruneSessionFragmentLogFiles(thenRun("Unable to prune session fragment log files", cleanUp));
    };
    auto transmit = [self, prune] {
        self->transmitPackagedSessionFragments([prune](const std::optional<KitError>& error) {
            if (error)
                log::debugOnly("[Halyard:Tally] Unable to transmit packaged session fragments {" + error->describe() + "}");
            else
                log::debugOnly("[Halyard:Tally] Successfully transmitted packaged session fragments");
            prune();
        });
    };
    auto package = [self, transmit] {
        self->packageClosedSessionFragments(thenRun("Unable to package closed session fragments", transmit));
    };
    openNewSessionFragment(thenRun("Unable to open new session fragment", package));
}

void HLYAnalyticsController::maintainSessionFragmentsIgnoringError()
{
    maintainSessionFragments([](const std::optional<KitError>& error) {
        if (error)
            log::debugOnly("[Halyard:Tally] Unable to maintain session fragments {" + error->describe() + "}");
    });
}

void HLYAnalyticsController::openNewSessionFragment(Completion completion)
{
    runStep([self = shared_from_this()](KitError* error) { return self->runOpenNewSessionFragment(error); },
            std::move(completion));
}

bool HLYAnalyticsController::runOpenNewSessionFragment(KitError* error)
{
    return prepareNewSessionFragmentWithIdentifier(m_identifierGenerator->generateSessionFragmentIdentifier(),
                                                   m_timestampGenerator->generateAnalyticsTimestamp(), error);
}

// MARK: Packaging

void HLYAnalyticsController::packageClosedSessionFragments(Completion completion)
{
    runStep([self = shared_from_this()](KitError* error) { return self->runPackageClosedSessionFragments(error); },
            std::move(completion));
}

bool HLYAnalyticsController::purgePackagedPrepSessionFragmentDirectories()
{
    KitError error;
    if (!m_logSessionRepository.purgePrepSessionFragmentDirectoriesForStateName(Repository::kPackagedStateName, &error))
        log::debugOnly("[Halyard:Tally] Unable to purge packaged prep session fragments {error = " + error.describe() + "}");
    return true;
}

bool HLYAnalyticsController::runPackageClosedSessionFragments(KitError* error)
{
    purgePackagedPrepSessionFragmentDirectories();
    const auto fragments = sessionFragmentDirectoryURLsForStateName(Repository::kActiveStateName, error);
    if (!fragments)
        return false;
    for (const auto& fragment : *fragments) {
        if (isOpenSessionFragmentDirectoryURL(fragment))
            continue;
        // A fragment someone holds is still written: by another instance,
        // or by our own queues when a switch missed its wait.
        const auto held = HLYFileLock::tryLock(fragment, true);
        if (!held)
            continue;
        const auto prep = m_logSessionRepository.prepSessionFragmentDirectoryURLForStateName(Repository::kPackagedStateName,
                                                                                            fragment, error);
        if (!prep)
            return false;
        const auto prepHeld = HLYFileLock::tryLock(*prep, true);
        if (!prepHeld) {
            if (error)
                *error = HLYFileSystemError(EBUSY, "the prep folder " + prep->string() + " is held");
            return false;
        }
        if (!packageLogsFromActiveSessionFragmentDirectoryURL(fragment, *prep, error)
            || !m_logSessionRepository.removePrepStatusFromSessionFragmentDirectoryURL(*prep, error)
            || !m_logSessionRepository.removeSessionFragmentDirectory(fragment, error))
            return false;
    }
    return true;
}

bool HLYAnalyticsController::packageLogsFromActiveSessionFragmentDirectoryURL(const URL& source, const URL& destination,
                                                                               KitError* error)
{
    const auto items = m_logSessionRepository.contentsOfDirectoryURL(source, error);
    if (!items)
        return false;
    // Not this run's size per log: the log may be an earlier run's, written
    // under a larger one. Only what no log of ours can reach is dropped.
    constexpr std::uint64_t maximum = HLYAnalyticsNetworkingClient::kMaximumLogLength;
    for (const auto& item : *items) {
        if (!m_logSessionRepository.itemURLHasPathExtensionMatching(item, "log") || !keepLogToSend(item, maximum))
            continue;
        URL packed = destination / item.filename();
        packed += ".zip";
        if (!gzipInto(item, packed, maximum, error))
            return false;
    }
    return true;
}

// MARK: Upload

void HLYAnalyticsController::transmitPackagedSessionFragments(Completion completion)
{
    m_sessionMaintenanceQueue->async([self = shared_from_this(), completion = std::move(completion)] {
        if (!self->settings().analyticsURL) {
            completion(errorWithCode(kErrorNoAnalyticsURL));
            return;
        }
        if (self->m_sessionFragmentsToTransmit) {
            completion(errorWithCode(kErrorUploadUnderWay));
            return;
        }
        self->m_sessionFragmentsToTransmit =
            self->sessionFragmentDirectoryURLsForStateName(Repository::kPackagedStateName, nullptr)
                .value_or(std::vector<URL> {});
        self->transmitNextPackagedSessionFragment(completion);
    });
}

void HLYAnalyticsController::transmitNextPackagedSessionFragment(Completion completion)
{
    auto& pending = *m_sessionFragmentsToTransmit;
    std::shared_ptr<HLYFileLock> held;
    // A folder someone else is sending (or packaging) is theirs.
    while (!pending.empty() && !(held = HLYFileLock::tryLock(pending.front(), true)))
        pending.erase(pending.begin());
    if (pending.empty()) {
        m_sessionFragmentsToTransmit.reset();
        completion(std::nullopt);
        return;
    }
    const URL fragment = pending.front();
    log::debugOnly("[Halyard:Tally] Transmitting packaged session fragments in " + fragment.string());
    // The network client may keep copies of its completion for a while: the
    // lock sits in one box that the next step empties, whoever holds a copy.
    auto lock = std::make_shared<std::shared_ptr<HLYFileLock>>(std::move(held));
    transmitLogsForSessionFragmentDirectory(fragment, [self = shared_from_this(), fragment, lock, completion](
                                                          const std::optional<KitError>& error) {
        self->m_sessionMaintenanceQueue->async([self, fragment, lock, completion, error]() mutable {
            KitError failure;
            if (!error && !self->m_logSessionRepository.removeSessionFragmentDirectory(fragment, &failure))
                log::debugOnly("[Halyard:Tally] Unable to delete session fragment directory \"" + fragment.string()
                               + "\" {" + failure.describe() + "}");
            lock->reset();
            auto& list = *self->m_sessionFragmentsToTransmit;
            list.erase(std::remove(list.begin(), list.end(), fragment), list.end());
            self->transmitNextPackagedSessionFragment(completion);
        });
    });
}

void HLYAnalyticsController::transmitLogsForSessionFragmentDirectory(const URL& fragment, Completion completion)
{
    KitError error;
    auto logs = m_logSessionRepository.logFileURLsForSessionFragmentDirectory(fragment, &error);
    const auto url = settings().analyticsURL;
    if (!logs || !url) {
        completion(logs ? errorWithCode(kErrorNoAnalyticsURL) : error);
        return;
    }
    std::erase_if(*logs, [](const URL& log) {
        return !keepLogToSend(log, HLYAnalyticsNetworkingClient::kMaximumPackagedLogLength);
    });
    m_networkingClient->transmitLogFilesAtURLs(*logs, *url, riggingAPIKey().value_or(""), std::move(completion));
}

// MARK: Pruning and clean-up

void HLYAnalyticsController::pruneSessionFragmentLogFiles(Completion completion)
{
    runStep([self = shared_from_this()](KitError* error) { return self->runPruneSessionFragmentLogFiles(error); },
            std::move(completion));
}

bool HLYAnalyticsController::runPruneSessionFragmentLogFiles(KitError* error)
{
    const Settings current = settings();
    if (!current.haveSettings)
        return true;
    const auto logs = nonCurrentLogFileURLsForAllStates(error);
    if (!logs)
        return false;
    std::size_t count = logs->size();
    const std::size_t maximum = current.maxPendingSendFileCount;
    if (count <= maximum)
        return true;
    auto groups = mutableSortedFileURLsGroupedByPrioritiesFromLogFileURLs(*logs);
    for (;;) {
        if (groups.empty() || groups.back().empty()) {
            if (error)
                *error = errorWithCode(kErrorNothingLeftToPrune);
            return false;
        }
        const URL victim = groups.back().front();
        // Taken by someone since the listing: it leaves the tree in their hands.
        if (const auto held = HLYFileLock::tryLock(Repository::sessionFragmentDirectoryURLForLogFileURL(victim), true))
            if (!m_logSessionRepository.removeLogFile(victim, error))
                return false;
        groups.back().erase(groups.back().begin());
        while (!groups.empty() && groups.back().empty())
            groups.pop_back();
        if (--count <= maximum)
            return true;
    }
}

std::optional<std::vector<HLYAnalyticsController::URL>> HLYAnalyticsController::nonCurrentLogFileURLsForAllStates(KitError* error)
{
    auto logs = m_logSessionRepository.logFileURLsForAllStates(error);
    if (!logs)
        return std::nullopt;
    // Logs of fragments in use (ours, or another instance's) are not pending.
    std::erase_if(*logs, [this](const URL& log) {
        const URL fragment = Repository::sessionFragmentDirectoryURLForLogFileURL(log);
        return isOpenSessionFragmentDirectoryURL(fragment) || HLYFileLock::isLocked(fragment);
    });
    return logs;
}

std::vector<std::vector<HLYAnalyticsController::URL>>
HLYAnalyticsController::mutableSortedFileURLsGroupedByPrioritiesFromLogFileURLs(const std::vector<URL>& logs)
{
    std::vector<std::vector<URL>> groups;
    for (const auto& log : logs) {
        const std::int64_t priority = Repository::priorityForEventLogFileWithName(log.filename().string());
        if (priority < 0)
            continue;
        if (groups.size() <= std::size_t(priority))
            groups.resize(std::size_t(priority) + 1);
        groups[std::size_t(priority)].push_back(log);
    }
    for (auto& group : groups)
        std::sort(group.begin(), group.end(), [](const URL& a, const URL& b) { return a.string() < b.string(); });
    return groups;
}

void HLYAnalyticsController::cleanUpRepository(Completion completion)
{
    runStep(
        [self = shared_from_this()](KitError* error) {
            return self->m_logSessionRepository.cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL(
                self->currentSessionFragmentDirectoryURL(), error);
        },
        std::move(completion));
}

std::optional<std::vector<HLYAnalyticsController::URL>>
HLYAnalyticsController::sessionFragmentDirectoryURLsForStateName(const std::string& state, KitError* error)
{
    const auto sessions = m_logSessionRepository.sessionDirectoryURLsForStateName(state, error);
    if (!sessions)
        return std::nullopt;
    std::vector<URL> fragments;
    for (const auto& session : *sessions) {
        const auto found = m_logSessionRepository.sessionFragmentDirectoryURLsForSessionDirectory(session, error);
        if (!found)
            return std::nullopt;
        fragments.insert(fragments.end(), found->begin(), found->end());
    }
    return fragments;
}

bool HLYAnalyticsController::isOpenSessionFragmentDirectoryURL(const URL& url) const
{
    return url.lexically_normal() == currentSessionFragmentDirectoryURL().lexically_normal();
}

// MARK: Timer

void HLYAnalyticsController::scheduleSessionMaintenance()
{
    cancelSessionMaintenance();
    const std::uint32_t interval = settings().flushIntervalSecs;
    if (!analyticsFeatureSwitchEnabled() || interval == 0)
        return;
    std::weak_ptr<HLYAnalyticsController> weak = weak_from_this();
    m_sessionFragmentMaintenanceTimerSource = std::make_unique<DispatchTimer>(
        m_sessionMaintenanceQueue, initialMaintenanceTimeWithFlushInterval(interval), double(interval), [weak] {
            if (const auto self = weak.lock())
                self->maintainSessionFragmentsIgnoringError();
        });
}

void HLYAnalyticsController::cancelSessionMaintenance()
{
    if (m_sessionFragmentMaintenanceTimerSource)
        m_sessionFragmentMaintenanceTimerSource->cancel();
    m_sessionFragmentMaintenanceTimerSource.reset();
}

double HLYAnalyticsController::initialMaintenanceTimeWithFlushInterval(double interval)
{
    const double since = Clock::shared()->wallNow() - lastMaintenanceDate().secondsSince1970;
    // A date in the future (a clock set back) waits one interval, not until then.
    return std::clamp(interval - since, 0.0, interval);
}

Date HLYAnalyticsController::lastMaintenanceDate()
{
    const auto stored = userDefaults().objectForKey(storedKey("insights.lastmaintenancedate"));
    if (stored && stored->asDate())
        return *stored->asDate();
    const Date now {Clock::shared()->wallNow()};
    saveLastMaintenanceDate(now);
    return now;
}

void HLYAnalyticsController::saveLastMaintenanceDate(const Date& date)
{
    auto& store = userDefaults();
    store.setObject(Value(date), storedKey("insights.lastmaintenancedate"));
    store.synchronize();
}

} // namespace qlkit
