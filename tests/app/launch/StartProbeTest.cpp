// The real start-up in its own process (start-probe): with a key the kit
// runs and asks the test service for its settings, without one it stays
// off; a service that is closed or never answers does not hold up the
// chooser.
#include "../document/DocumentTestSupport.h"
#include "support/HeldLock.h"
#include "support/SpecialFiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

#include <csignal>

namespace {

constexpr const char* kKey = "0123456789abcdef0123456789abcdef01234567";

class StartProbe : public ql::testing::DocumentFixture {
protected:
    ~StartProbe() override
    {
        if (service.state() != QProcess::NotRunning) {
            service.kill();
            service.waitForFinished();
        }
    }

    // The scriptable test service on a free port; its base URL.
    QString startService()
    {
        const QString portFile = path(QStringLiteral("port"));
        service.start(QStringLiteral("python3"), {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/sdk/service/service.py"),
                                                  QStringLiteral("serve"), QStringLiteral("--port-file"), portFile});
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile(portFile).size() > 0; }, 20000));
        return QStringLiteral("http://127.0.0.1:") + QString::fromUtf8(ql::testing::fileContents(portFile)).trimmed();
    }
    // Asks the service: a POST of `body` to `route`, or a GET without one.
    QString control(const QString& url, const QString& body = {})
    {
        QStringList arguments {QStringLiteral("-c"),
                               QStringLiteral("import sys, urllib.request\n"
                                              "data = sys.argv[2].encode() if len(sys.argv) > 2 else None\n"
                                              "print(urllib.request.urlopen(sys.argv[1], data).read().decode())"),
                               url};
        if (!body.isEmpty())
            arguments << body;
        QProcess python;
        python.start(QStringLiteral("python3"), arguments);
        EXPECT_TRUE(python.waitForFinished(20000));
        return QString::fromUtf8(python.readAllStandardOutput());
    }
    // What the probe printed; what it said on its error output goes to `said`.
    QString probe(const QStringList& arguments)
    {
        QProcess tool;
        // As a session starts it, whatever signals this run ignores.
        tool.setChildProcessModifier([] {
            for (const int reset : {SIGTERM, SIGINT, SIGHUP})
                std::signal(reset, SIG_DFL);
        });
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/start-probe"),
                   QStringList {QStringLiteral("--dir"), path(QStringLiteral("user"))} + arguments);
        if (!tool.waitForFinished(60000)) {
            ADD_FAILURE() << "the start did not end";
            tool.kill();
            tool.waitForFinished();
        }
        said = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_EQ(tool.exitCode(), 0) << said.toStdString();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
    // Milliseconds to the chooser, or -1.
    static int chooserAfter(const QString& output)
    {
        const QRegularExpression line(QStringLiteral("^window ZVTemplateWindowController (\\d+)$"),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = line.match(output);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    QProcess service;
    QString said;
};

} // namespace

TEST_F(StartProbe, AKeyStartsTheKitWhichAsksForItsSettings)
{
    const QString url = startService();
    const QString output = probe({QStringLiteral("--key"), QString::fromLatin1(kKey), QStringLiteral("--url"), url});
    EXPECT_TRUE(output.contains(QStringLiteral("kit on\n"))) << qPrintable(output);
    EXPECT_GE(chooserAfter(output), 0) << qPrintable(output);
    EXPECT_TRUE(control(url + QStringLiteral("/__log")).contains(QStringLiteral("/settings"))) << "a settings request";

    const QString without = probe({QStringLiteral("--url"), url});
    EXPECT_TRUE(without.contains(QStringLiteral("kit off\n"))) << qPrintable(without);
}

TEST_F(StartProbe, AClosedOrSilentServiceDoesNotHoldUpTheChooser)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString closedUrl = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    const QString output = probe({QStringLiteral("--key"), QString::fromLatin1(kKey), QStringLiteral("--url"), closedUrl});
    EXPECT_GE(chooserAfter(output), 0) << qPrintable(output);
    EXPECT_LT(chooserAfter(output), 3000) << qPrintable(output);

    const QString silent = startService();
    control(silent + QStringLiteral("/__script"),
            QStringLiteral(R"({"rules": [{"method": "GET", "path": "/*", "responses": [{"mode": "hang"}]},
                                         {"method": "POST", "path": "/*", "responses": [{"mode": "hang"}]}]})"));
    const QString held = probe({QStringLiteral("--key"), QString::fromLatin1(kKey), QStringLiteral("--url"), silent});
    EXPECT_GE(chooserAfter(held), 0) << qPrintable(held);
    EXPECT_LT(chooserAfter(held), 3000) << qPrintable(held);
}

// A pipe where the settings file belongs (a device would do the same): the
// start goes on with the registered settings, names the file once, and
// leaves the pipe as it was.
TEST_F(StartProbe, ASettingsFileThatIsAPipeHoldsUpNothingAndIsLeftAsItWas)
{
    const QString store = path(QStringLiteral("user/config/Quiverleaf/Quiverleaf/defaults.qldefaults"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(store).absolutePath()));
    ASSERT_TRUE(ql::testing::makeFifo(store));
    const QString output = probe({});
    EXPECT_GE(chooserAfter(output), 0) << qPrintable(output);
    EXPECT_EQ(said.count(store), 1) << qPrintable(said);
    EXPECT_TRUE(ql::testing::isFifo(store));
}

// A list or map nested far deeper than any setting makes the store
// unreadable, not the start: the window shows, and the bytes are kept
// beside the store under the name the log gives.
TEST_F(StartProbe, ASettingsFileNestedTooDeepStartsAndIsKept)
{
    const QString store = path(QStringLiteral("user/config/Quiverleaf/Quiverleaf/defaults.qldefaults"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(store).absolutePath()));
    for (const QMetaType::Type container : {QMetaType::QVariantList, QMetaType::QVariantMap}) {
        SCOPED_TRACE(container);
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_6_4);
        stream << QByteArray("QLDEFAULTS1") << quint32(1) << QStringLiteral("deep");
        for (int level = 0; level < 100000; ++level) {
            stream << quint32(container) << qint8(0) << quint32(1);
            if (container == QMetaType::QVariantMap)
                stream << QStringLiteral("k");
        }
        stream << QVariant(1);
        ql::testing::writeFile(store, bytes);

        const QString output = probe({});
        EXPECT_GE(chooserAfter(output), 0) << qPrintable(output) << qPrintable(said);
        const QRegularExpressionMatch kept =
            QRegularExpression(QStringLiteral("“([^”]*damaged[^”]*)”")).match(said);
        ASSERT_TRUE(kept.hasMatch()) << qPrintable(said);
        EXPECT_EQ(QFileInfo(kept.captured(1)).absolutePath(), QFileInfo(store).absolutePath());
        EXPECT_EQ(ql::testing::fileContents(kept.captured(1)), bytes);
        QFile::remove(kept.captured(1));
    }
}

// Another program keeps the settings lock through the whole run: the window
// shows after one wait for it, and quitting saves every setting the start
// made, as a start without the lock held does.
TEST_F(StartProbe, ASettingsLockHeldElsewhereDelaysTheStartByOneWaitAndLosesNothing)
{
    const QString store = path(QStringLiteral("user/config/Quiverleaf/Quiverleaf/defaults.qldefaults"));
    EXPECT_GE(chooserAfter(probe({})), 0);
    const QStringList saved = ql::UserDefaults(store).storedKeys();
    ASSERT_FALSE(saved.isEmpty());
    ASSERT_TRUE(QDir(path(QStringLiteral("user"))).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(store).absolutePath()));

    ql::testing::HeldLock other(store + QStringLiteral(".lock"));
    ASSERT_TRUE(other.isHeld());
    const QString output = probe({});
    EXPECT_GE(chooserAfter(output), 0) << qPrintable(output);
    EXPECT_LT(chooserAfter(output), ql::UserDefaults::kLockWait.count() + 3000) << qPrintable(output);
    EXPECT_EQ(ql::UserDefaults(store).storedKeys(), saved) << qPrintable(said);
}

// Another program keeps the settings lock while the program is ended by a
// signal, as a desktop session, a service manager or a terminal ends it:
// every setting its start made is there for the next start.
TEST_F(StartProbe, ASignalLosesNoSettingWhileTheLockIsHeldElsewhere)
{
    const QString store = path(QStringLiteral("user/config/Quiverleaf/Quiverleaf/defaults.qldefaults"));
    const QString launches = QStringLiteral("RaterUseCount");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_TRUE(QDir(path(QStringLiteral("user"))).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(store).absolutePath()));
        ql::testing::HeldLock other(store + QStringLiteral(".lock"));
        ASSERT_TRUE(other.isHeld());
        QProcess tool;
        // As a session starts it, whatever signals this run ignores.
        tool.setChildProcessModifier([] {
            for (const int reset : {SIGTERM, SIGINT, SIGHUP})
                std::signal(reset, SIG_DFL);
        });
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/start-probe"),
                   {QStringLiteral("--dir"), path(QStringLiteral("user"))});
        QByteArray output;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (output += tool.readAllStandardOutput()).contains("window "); }, 30000));
        // Mid-way: once the start has counted itself, before the probe's own
        // quit two seconds after its window.
        QTest::qWaitFor([&] { return ql::UserDefaults(store).integerForKey(launches) == 1; }, 1500);
        const QStringList made = ql::UserDefaults(store).storedKeys();
        ::kill(pid_t(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(10000)) << "the program went on";
        EXPECT_EQ(tool.exitStatus(), QProcess::CrashExit) << "ended by the signal, not by its own quit";
        const ql::UserDefaults next(store);
        QStringList lost;
        for (const QString& key : made)
            if (!next.hasStoredValue(key))
                lost << key;
        EXPECT_EQ(lost, QStringList()) << tool.readAllStandardError().toStdString();
        EXPECT_EQ(next.integerForKey(launches), 1);
    }
}
