// Everything the prompts take from the program and the desktop, in one
// place so that start-up configures it once and tests replace any of it.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace ql {

class Prompter;
class UserDefaults;
class Workspace;
struct RaterDelegate;
struct VersionerDelegate;
struct NotifierDelegate;

// The program's own delegate, which a prompt takes when it has none.
struct ApplicationDelegate {
    std::shared_ptr<RaterDelegate> rater;
    std::shared_ptr<VersionerDelegate> versioner;
    std::shared_ptr<NotifierDelegate> notifier;
};

struct ApplicationIdentity {
    QString name;             // shown in the texts in place of "%@"
    QString version;          // the running version
    QString bundleIdentifier; // compared with the store's entry
};

struct PromptEnvironment {
    using Schedule = std::function<void(int milliseconds, QObject* context, std::function<void()> call)>;

    UserDefaults* defaults = nullptr; // null: the standard store
    std::function<QDateTime()> clock; // empty: the system clock
    // Scheme, host and port of the store's look-up service; empty: no look-up
    // is sent and the store has no entry (there is no store on this desktop).
    QUrl lookupBaseUrl;
    QString storePageHost;            // host of the store page URLs
    QString resourcesFolder;          // empty: "resources" beside the program
    std::optional<QStringList> languages; // preferred first; unset: the system's
    std::optional<QString> countryCode;   // unset: the locale's
    QString systemVersion;            // empty: unknown, which counts as supported
    std::optional<ApplicationIdentity> application; // unset: the application object's
    Prompter* prompter = nullptr;     // null: no alert can be shown
    Workspace* workspace = nullptr;   // null: nothing can be opened
    std::function<bool()> storeRunning; // empty: never (no store application here)
    Schedule schedule;                // empty: ql::after
    std::function<void(const QString&)> log; // empty: the console
    std::weak_ptr<ApplicationDelegate> applicationDelegate;

    // The same environment with every empty member given its default.
    PromptEnvironment resolved() const;
    UserDefaults& userDefaults() const { return *defaults; }
    // Whether an alert may be shown now: without a prompter nothing is shown,
    // so there is nothing to wait for.
    bool mainWindowAvailable() const;
    QDateTime now() const { return clock(); }
};

} // namespace ql
