// Sharing by e-mail: the pictures become the attachments of a new message in
// the desktop's mail composer, reached through the desktop portal's e-mail
// interface when it answers, else through xdg-email. Without either the
// service is not offered. A hand-off that is refused (no mail program behind
// the portal or xdg-email) falls back to the next, and the last refusal is
// reported with the folder that holds the pictures.
#pragma once

#include "app/export/SharingService.h"

#include <QDBusConnection>
#include <QStringList>
#include <memory>
#include <optional>

class QObject;

namespace ql {

class EmailService : public SharingService {
public:
    enum class Composer { None, XdgEmail, Portal };

    // The portal is looked for on the desktop session's bus, or on `bus`.
    EmailService();
    explicit EmailService(const QDBusConnection& bus);
    ~EmailService() override;

    QString title() const override;
    QIcon image() const override;
    bool canPerformWithItems(const SharingItems& items) const override;
    void performWithItems(const SharingItems& items, Completion completion) override;

    // How a message would be composed now: the portal is asked once,
    // xdg-email is looked for on PATH each time.
    Composer composer() const;
    // The attachments of the last message handed over.
    QStringList lastAttachments() const { return m_lastAttachments; }

private:
    bool portalOffersEmail() const;
    // Each ends in `completion`; `refused` is what a refusal reports.
    void composeWithPortal(const QStringList& files, Completion completion);
    void composeWithXdgEmail(const QString& program, const QStringList& files, const Error& refused,
                             Completion completion);

    mutable std::optional<QDBusConnection> m_bus;
    mutable std::optional<bool> m_portal;
    QStringList m_lastAttachments;
    // Parent of the hand-offs under way and of the mail programs still
    // running: nothing reaches a completion once the service is gone.
    std::unique_ptr<QObject> m_running;
};

} // namespace ql
