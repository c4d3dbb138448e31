// start-probe --dir FOLDER [--key KEY] [--url URL] [--bundle ID] [FILE...]
//
// Runs the program's real start-up on the offscreen platform with every
// per-user folder inside FOLDER and every configured service host at URL.
// Prints "kit on" or "kit off", then "window CLASS MS" for each window as it
// is first shown (MS: milliseconds since the probe started), and quits two
// seconds after the first window (or after twenty without one). Exit 0.
#include "app/AppDelegate.h"
#include "app/launch/ApplicationRun.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QElapsedTimer sinceStart;

struct Options {
    QString folder;
    QString key;
    QString url;
    QString bundle;
    QStringList files;
};

bool parse(int argc, char* argv[], Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--dir") == 0 && hasValue)
            options.folder = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(arg, "--key") == 0 && hasValue)
            options.key = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(arg, "--url") == 0 && hasValue)
            options.url = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(arg, "--bundle") == 0 && hasValue)
            options.bundle = QString::fromLocal8Bit(argv[++i]);
        else if (std::strncmp(arg, "--", 2) == 0)
            return false;
        else
            options.files.append(QString::fromLocal8Bit(arg));
    }
    return !options.folder.isEmpty();
}

// Settings, caches and documents all go into the folder given.
bool pointUserFoldersInto(const QString& root)
{
    const std::pair<const char*, const char*> folders[] = {{"HOME", "home"},
                                                           {"XDG_CACHE_HOME", "cache"},
                                                           {"XDG_DATA_HOME", "data"},
                                                           {"XDG_CONFIG_HOME", "config"},
                                                           {"XDG_DOCUMENTS_DIR", "documents"}};
    for (const auto& [variable, leaf] : folders) {
        const QString path = QDir(root).absoluteFilePath(QString::fromLatin1(leaf));
        if (!QDir().mkpath(path) || setenv(variable, QFile::encodeName(path).constData(), 1) != 0)
            return false;
    }
    return true;
}

// Reports each top-level window the first time it is shown.
class WindowWatcher : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || !widget->isWindow() || m_seen.contains(widget))
            return false;
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip)
            return false;
        m_seen.insert(widget);
        QString name = widget->objectName();
        if (name.isEmpty())
            name = QString::fromLatin1(widget->metaObject()->className()).section(QStringLiteral("::"), -1);
        std::printf("window %s %lld\n", qPrintable(name), static_cast<long long>(sinceStart.elapsed()));
        std::fflush(stdout);
        if (m_seen.size() == 1)
            QTimer::singleShot(2000, qApp, &QCoreApplication::quit);
        return false;
    }

private:
    QSet<QObject*> m_seen;
};

} // namespace

int main(int argc, char* argv[])
{
    sinceStart.start();
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: start-probe --dir FOLDER [--key KEY] [--url URL] [--bundle ID] [FILE...]\n");
        return 64;
    }
    if (!pointUserFoldersInto(options.folder)) {
        std::fprintf(stderr, "start-probe: cannot make the folders in %s\n", qPrintable(options.folder));
        return 1;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    ql::ApplicationRun::nameApplication();
    ql::LaunchSettings settings = ql::LaunchSettings::fromBuild();
    if (!options.key.isEmpty())
        settings.crashApiKey = options.key;
    if (!options.url.isEmpty()) {
        settings.crashServiceUrl = options.url;
        settings.noticesHost = options.url;
        settings.storeLookupHost = options.url;
    }
    if (!options.bundle.isEmpty())
        settings.bundleIdentifier = options.bundle;

    WindowWatcher watcher;
    app.installEventFilter(&watcher);
    // Without a window the program would wait for one for ever.
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    app.setQuitOnLastWindowClosed(false);

    ql::ApplicationRun run(settings);
    run.start(options.files);
    std::printf("kit %s\n", run.delegate().crashReporterStarted() ? "on" : "off");
    std::fflush(stdout);
    QApplication::exec();
    return 0;
}
