// Sharing by e-mail through the desktop portal, on a bus of the test's own
// (a real dbus-daemon) where a stand-in portal records what it is handed.
#include "ExportTestSupport.h"

#include "app/export/EmailService.h"
#include "support/EnvironmentChange.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

namespace ql::testing {
namespace {

// The portal's e-mail interface: it keeps the contents of the files it is
// handed, read through their descriptors as a mail program would.
class StandInEmailPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Email")
    Q_PROPERTY(uint version READ version)
public:
    uint version() const { return 4; }
    QList<QByteArray> attachments() const
    {
        QMutexLocker lock(&m_mutex);
        return m_attachments;
    }

public slots:
    QDBusObjectPath ComposeEmail(const QString& parentWindow, const QVariantMap& options)
    {
        Q_UNUSED(parentWindow);
        QList<QDBusUnixFileDescriptor> descriptors;
        options.value(QStringLiteral("attachment_fds")).value<QDBusArgument>() >> descriptors;
        QMutexLocker lock(&m_mutex);
        for (const QDBusUnixFileDescriptor& descriptor : descriptors) {
            QFile file;
            if (file.open(::dup(descriptor.fileDescriptor()), QIODevice::ReadOnly, QFile::AutoCloseHandle))
                m_attachments << file.readAll();
        }
        return QDBusObjectPath(QStringLiteral("/org/freedesktop/portal/desktop/request/1_1/t"));
    }

private:
    mutable QMutex m_mutex;
    QList<QByteArray> m_attachments;
};

class EmailPortalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is not installed";
        m_daemon.start(daemon,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(m_daemon.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_daemon.canReadLine(); }, 30000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        // The portal answers on a thread of its own while the service waits
        // for it on this one.
        m_portal.moveToThread(&m_portalThread);
        m_portalThread.start();
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        m_portalThread.quit();
        m_portalThread.wait();
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    void startPortal()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &m_portal,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }
    QDBusConnection client() { return QDBusConnection::connectToBus(m_address, QStringLiteral("client")); }

    QProcess m_daemon;
    QString m_address;
    StandInEmailPortal m_portal;
    QThread m_portalThread;
};

TEST_F(EmailPortalTest, WithoutXdgEmailThePortalTakesEveryPictureAsAnOpenFile)
{
    QTemporaryDir home;
    HomeFolder homeFolder(home.path());
    QTemporaryDir empty;
    EnvironmentChange path("PATH", QFile::encodeName(empty.path()).toStdString());
    QImage red(200, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(100, 300, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const SharingItems items {QStringLiteral("Flyer"), {red, blue}};

    EXPECT_FALSE(EmailService(client()).canPerformWithItems(items)) << "no xdg-email, no portal: no e-mail";

    startPortal();
    EmailService service(client());
    ASSERT_EQ(service.composer(), EmailService::Composer::Portal);
    ASSERT_TRUE(service.canPerformWithItems(items));
    const Status shared = service.performWithItems(items);
    ASSERT_TRUE(shared) << shared.error().message.toStdString();
    const QList<QByteArray> attachments = m_portal.attachments();
    ASSERT_EQ(attachments.size(), 2);
    const QImage first = QImage::fromData(attachments[0], "PNG");
    const QImage second = QImage::fromData(attachments[1], "PNG");
    EXPECT_EQ(first.size(), QSize(200, 100));
    EXPECT_EQ(first.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(second.size(), QSize(100, 300));
    EXPECT_EQ(qRound(first.dotsPerMeterX() * 0.0254), 72);
    EXPECT_TRUE(service.lastAttachments().constFirst().endsWith(QLatin1String("/Flyer_1.png")));
}

} // namespace
} // namespace ql::testing

#include "EmailPortalTest.moc"
