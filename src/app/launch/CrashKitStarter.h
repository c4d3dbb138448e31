// Starts the crash-reporting kit inside this program: the kit's Info
// dictionary in code, its main queue as Qt's main thread, the application's
// active and quitting states under the kit's lifecycle names, and the send
// question through the program's own alerts. A missing or malformed key, or
// a kit that fails while starting, leaves the program running without it.
#pragma once

#include "app/launch/LaunchSettings.h"

#include <QObject>

namespace ql {

class Prompter;

class CrashKitStarter : public QObject {
    Q_OBJECT
public:
    explicit CrashKitStarter(const LaunchSettings& settings, Prompter* prompter, QObject* parent = nullptr);

    // 40 lower-case hexadecimal digits.
    static bool isValidKey(const QString& key);
    // True when the kit runs afterwards; every refusal or failure is one
    // console line.
    bool startWithAPIKey(const QString& key);
    bool isStarted() const { return m_started; }

private:
    void registerInfoDictionary(const QString& key) const;
    void connectLifecycle();

    LaunchSettings m_settings;
    Prompter* m_prompter;
    bool m_started = false;
};

} // namespace ql
