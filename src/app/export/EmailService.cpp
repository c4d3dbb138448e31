#include "app/export/EmailService.h"

#include "app/export/HandOff.h"
#include "app/export/SharedPictures.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace ql {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kEmailInterface = QStringLiteral("org.freedesktop.portal.Email");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
// A portal that answers nothing within this time is taken to be absent.
constexpr int kPortalProbeTimeout = 3000;
constexpr int kPortalComposeTimeout = 15000;
// A desktop without a mail program refuses within a fraction of a second;
// a composer that opened stays open.
constexpr int kHandOffGrace = 3000;
// The portal's answer to a request: 0 done, 1 cancelled by the user.
constexpr uint kPortalCancelled = 1;

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

// What the user is told when no mail program took the pictures.
Error noMailProgram(const QStringList& files)
{
    const QString folder = files.isEmpty() ? QString() : QDir::toNativeSeparators(QFileInfo(files.first()).path());
    return sharingError(QObject::tr("No mail program on this computer could be opened. The pictures are saved in "
                                    "the folder “%1”; attach them to a message in a mail program of your choice.")
                            .arg(folder));
}

// Hears the portal's answer to one request, which comes as a signal on the
// request's own object.
class PortalResponse : public QObject {
    Q_OBJECT
public:
    PortalResponse(HandOff& handOff, Error refused) : QObject(&handOff), m_handOff(handOff), m_refused(std::move(refused)) {}

public slots:
    void Response(uint response, const QVariantMap& results)
    {
        Q_UNUSED(results);
        m_handOff.settle(response == 0 || response == kPortalCancelled ? Status() : Status(m_refused));
    }

private:
    HandOff& m_handOff;
    Error m_refused;
};

} // namespace

EmailService::EmailService() : m_running(std::make_unique<QObject>()) {}

EmailService::EmailService(const QDBusConnection& bus) : m_bus(bus), m_running(std::make_unique<QObject>()) {}

EmailService::~EmailService()
{
    // A mail program still running is ended quietly; the composer it
    // started, if any, stays open.
    for (QProcess* process : m_running->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

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
    if (portalOffersEmail())
        return Composer::Portal;
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        return Composer::XdgEmail;
    return Composer::None;
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

void EmailService::performWithItems(const SharingItems& items, Completion completion)
{
    const Result<QStringList> files = writeSharedPictures(items);
    if (!files) {
        completion(files.error());
        return;
    }
    m_lastAttachments = *files;
    const QString xdgEmail = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    const Error refused = noMailProgram(*files);
    if (!portalOffersEmail()) {
        if (xdgEmail.isEmpty())
            completion(refused);
        else
            composeWithXdgEmail(xdgEmail, *files, refused, std::move(completion));
        return;
    }
    // A portal with no mail program behind it leaves xdg-email its turn.
    composeWithPortal(*files, [this, xdgEmail, files = *files, refused, completion](const Status& composed) {
        if (composed || xdgEmail.isEmpty())
            completion(composed);
        else
            composeWithXdgEmail(xdgEmail, files, refused, completion);
    });
}

void EmailService::composeWithXdgEmail(const QString& program, const QStringList& files, const Error& refused,
                                       Completion completion)
{
    QStringList arguments;
    for (const QString& file : files)
        arguments << QStringLiteral("--attach") << file;
    auto* process = new QProcess(m_running.get());
    process->setProgram(program);
    process->setArguments(arguments);
    // Nothing ties the composer it may start to this program: it stays
    // open, and writes nowhere we would stop reading, after we quit.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const QPointer<HandOff> handOff = new HandOff(kHandOffGrace, std::move(completion), m_running.get());
    QObject::connect(process, &QProcess::finished, process, [process, handOff, refused](int code, QProcess::ExitStatus status) {
        if (handOff)
            handOff->settle(status == QProcess::NormalExit && code == 0 ? Status() : Status(refused));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, handOff, program](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (handOff)
            handOff->settle(sharingError(QObject::tr("The mail program %1 could not be started.").arg(program)));
        process->deleteLater();
    });
    process->start();
}

void EmailService::composeWithPortal(const QStringList& files, Completion completion)
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
    Q_UNUSED(registered);
    QList<QDBusUnixFileDescriptor> attachments;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            completion(sharingError(QObject::tr("The picture %1 could not be read: %2").arg(path, file.errorString())));
            return;
        }
        // The descriptor is duplicated: the file may close at once.
        attachments << QDBusUnixFileDescriptor(file.handle());
    }
    const Error refused = noMailProgram(files);
    auto* handOff = new HandOff(kHandOffGrace, std::move(completion), m_running.get());
    auto* response = new PortalResponse(*handOff, refused);
    // The portal names the request after this connection and a token of
    // ours; listening there before asking hears even a quick answer.
    const QString token = QStringLiteral("quiverleaf%1").arg(QRandomGenerator::global()->generate());
    QString sender = m_bus->baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString request = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    m_bus->connect(kPortalService, request, kRequestInterface, QStringLiteral("Response"), response,
                   SLOT(Response(uint, QVariantMap)));

    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("attachment_fds"), QVariant::fromValue(attachments));
    QDBusMessage compose =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kEmailInterface, QStringLiteral("ComposeEmail"));
    compose << QString() << options;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(compose, kPortalComposeTimeout), handOff);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, handOff,
                     [this, handOff, response, request, refused](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         const QDBusPendingReply<QDBusObjectPath> reply = *call;
                         if (reply.isError()) {
                             handOff->settle(refused);
                             return;
                         }
                         // A portal older than request tokens answers elsewhere.
                         const QString answered = reply.value().path();
                         if (answered != request)
                             m_bus->connect(kPortalService, answered, kRequestInterface, QStringLiteral("Response"),
                                            response, SLOT(Response(uint, QVariantMap)));
                     });
}

} // namespace ql

#include "EmailService.moc"
