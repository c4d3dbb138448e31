#include "prompts/PromptEnvironment.h"

#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

namespace ql {

namespace {

// The country part of the locale's name ("de_DE" → "DE", "es_419" → "419").
QString localeCountryCode()
{
    const QString name = QLocale::system().name();
    const qsizetype separator = name.indexOf(u'_');
    return separator < 0 ? QString() : name.mid(separator + 1);
}

} // namespace

bool PromptEnvironment::mainWindowAvailable() const
{
    return !prompter || prompter->hasMainWindow();
}

PromptEnvironment PromptEnvironment::resolved() const
{
    PromptEnvironment env = *this;
    if (!env.defaults)
        env.defaults = &UserDefaults::standard();
    if (!env.clock)
        env.clock = [] { return QDateTime::currentDateTimeUtc(); };
    if (env.resourcesFolder.isEmpty())
        env.resourcesFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/resources");
    if (!env.languages)
        env.languages = QLocale::system().uiLanguages();
    if (!env.countryCode)
        env.countryCode = localeCountryCode();
    if (!env.application) {
        env.application = ApplicationIdentity {QGuiApplication::applicationDisplayName(),
                                                QCoreApplication::applicationVersion(),
                                                QGuiApplication::desktopFileName()};
    }
    if (!env.storeRunning)
        env.storeRunning = [] { return false; };
    if (!env.schedule)
        env.schedule = [](int milliseconds, QObject* context, std::function<void()> call) {
            ql::after(milliseconds, context, std::move(call));
        };
    if (!env.log)
        env.log = [](const QString& line) { qInfo("%s", qUtf8Printable(line)); };
    return env;
}

} // namespace ql
