// Sharing by e-mail through the desktop portal, on a bus of the test's own
// (a real dbus-daemon) where a stand-in portal records what it is handed.
#include "ExportTestSupport.h"

#include "../document/DocumentTestSupport.h"

#include "app/export/EmailService.h"
#include "app/export/SharedPictures.h"
#include "support/EnvironmentChange.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
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
class StandInEmailPortal : public QObject, protected QDBusContext {
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

    // The response the later requests end with: 0 success, 2 failure.
    void respondWith(uint response) { m_response.storeRelaxed(response); }

public slots:
    QDBusObjectPath ComposeEmail(const QString& parentWindow, const QVariantMap& options)
    {
        Q_UNUSED(parentWindow);
        // The request is named after its caller and token, as the portal
        // names it, so that the caller can listen before it asks.
        QString sender = message().service().mid(1);
        sender.replace(u'.', u'_');
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        QList<QDBusUnixFileDescriptor> descriptors;
        options.value(QStringLiteral("attachment_fds")).value<QDBusArgument>() >> descriptors;
        QMutexLocker lock(&m_mutex);
        for (const QDBusUnixFileDescriptor& descriptor : descriptors) {
            QFile file;
            if (file.open(::dup(descriptor.fileDescriptor()), QIODevice::ReadOnly, QFile::AutoCloseHandle))
                m_attachments << file.readAll();
        }
        // The request ends after the call has been answered, as the portal's do.
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << m_response.loadRelaxed() << QVariantMap();
        QMetaObject::invokeMethod(
            this, [bus = connection(), response] { QDBusConnection(bus).send(response); }, Qt::QueuedConnection);
        return QDBusObjectPath(request);
    }

private:
    QAtomicInteger<uint> m_response = 0;
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
    // How a share through `service` ended.
    static Status share(EmailService& service, const SharingItems& items)
    {
        std::optional<Status> ended;
        service.performWithItems(items, [&ended](const Status& shared) { ended = shared; });
        EXPECT_TRUE(QTest::qWaitFor([&ended] { return ended.has_value(); }, 30000));
        return ended.value_or(Status(sharingError(QStringLiteral("The share never ended."))));
    }

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
    const Status shared = share(service, items);
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

    // A portal that could open no mail program says so, and so does the share.
    m_portal.respondWith(2);
    const Status failed = share(service, items);
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.error().message.startsWith(QLatin1String("No mail program"))) << failed.error().message.toStdString();
    EXPECT_EQ(m_portal.attachments().size(), 4);
}

TEST_F(EmailPortalTest, ThePortalIsPreferredToXdgEmail)
{
    QTemporaryDir home;
    HomeFolder homeFolder(home.path());
    QTemporaryDir bin;
    const QString ran = bin.filePath(QStringLiteral("ran"));
    const QString standIn = bin.filePath(QStringLiteral("xdg-email"));
    writeFile(standIn, QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(ran).toUtf8());
    QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EnvironmentChange path("PATH", QFile::encodeName(bin.path()).toStdString());
    QImage page(50, 50, QImage::Format_RGB32);
    page.fill(Qt::white);
    const SharingItems items {QStringLiteral("Flyer"), {page}};

    startPortal();
    EmailService service(client());
    EXPECT_EQ(service.composer(), EmailService::Composer::Portal);
    const Status shared = share(service, items);
    ASSERT_TRUE(shared) << shared.error().message.toStdString();
    EXPECT_EQ(m_portal.attachments().size(), 1);
    EXPECT_FALSE(QFile::exists(ran)) << "one composer, the portal's";

    // When the portal cannot compose, xdg-email has its turn.
    m_portal.respondWith(2);
    ASSERT_TRUE(share(service, items));
    EXPECT_TRUE(QTest::qWaitFor([&ran] { return QFile::exists(ran); }, 30000));
}

} // namespace
} // namespace ql::testing

#include "EmailPortalTest.moc"
