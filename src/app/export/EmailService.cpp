#include "app/export/EmailService.h"

#include "app/export/SharedPictures.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>

namespace ql {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kEmailInterface = QStringLiteral("org.freedesktop.portal.Email");
// A portal that answers nothing within this time is taken to be absent.
constexpr int kPortalProbeTimeout = 3000;
constexpr int kPortalComposeTimeout = 15000;

// The session's bus, when the desktop session has one. Without one the
// message bus library would start a bus of its own, for nothing.
std::optional<QDBusConnection> desktopSessionBus()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
        && (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return std::nullopt;
    return QDBusConnection::sessionBus();
}

} // namespace

QString EmailService::title() const
{
    return QObject::tr("Email");
}

QIcon EmailService::image() const
{
    return QIcon::fromTheme(QStringLiteral("mail-message-new"), QIcon::fromTheme(QStringLiteral("internet-mail")));
}

bool EmailService::canPerformWithItems(const SharingItems& items) const
{
    return !items.images.isEmpty() && composer() != Composer::None;
}

EmailService::Composer EmailService::composer() const
{
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        return Composer::XdgEmail;
    return portalOffersEmail() ? Composer::Portal : Composer::None;
}

bool EmailService::portalOffersEmail() const
{
    if (m_portal)
        return *m_portal;
    bool offered = false;
    if (!m_bus)
        m_bus = desktopSessionBus();
    // Attachments go to the portal as open files, which the bus must carry.
    if (m_bus && m_bus->isConnected()
        && (m_bus->connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        QDBusMessage get = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << kEmailInterface << QStringLiteral("version");
        offered = m_bus->call(get, QDBus::Block, kPortalProbeTimeout).type() == QDBusMessage::ReplyMessage;
    }
    m_portal = offered;
    return offered;
}

Status EmailService::performWithItems(const SharingItems& items)
{
    const QString xdgEmail = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (xdgEmail.isEmpty() && !portalOffersEmail())
        return sharingError(QObject::tr("No mail program was found."));
    const Result<QStringList> files = writeSharedPictures(items);
    if (!files)
        return files.error();
    const Status composed = xdgEmail.isEmpty() ? composeWithPortal(*files) : composeWithXdgEmail(xdgEmail, *files);
    if (composed)
        m_lastAttachments = *files;
    return composed;
}

Status EmailService::composeWithXdgEmail(const QString& program, const QStringList& files) const
{
    QStringList arguments;
    for (const QString& file : files)
        arguments << QStringLiteral("--attach") << file;
    // The composer stays open as long as the user writes; it is not waited for.
    if (!QProcess::startDetached(program, arguments))
        return sharingError(QObject::tr("The mail program %1 could not be started.").arg(program));
    return {};
}

Status EmailService::composeWithPortal(const QStringList& files) const
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
    Q_UNUSED(registered);
    QList<QDBusUnixFileDescriptor> attachments;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return sharingError(QObject::tr("The picture %1 could not be read: %2").arg(path, file.errorString()));
        // The descriptor is duplicated: the file may close at once.
        attachments << QDBusUnixFileDescriptor(file.handle());
    }
    QVariantMap options;
    options.insert(QStringLiteral("attachment_fds"), QVariant::fromValue(attachments));
    QDBusMessage compose =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kEmailInterface, QStringLiteral("ComposeEmail"));
    compose << QString() << options;
    const QDBusMessage reply = m_bus->call(compose, QDBus::Block, kPortalComposeTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return sharingError(QObject::tr("The mail program could not be reached: %1").arg(reply.errorMessage()));
    return {};
}

} // namespace ql
