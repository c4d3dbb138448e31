// Sharing by e-mail: the pictures become the attachments of a new message in
// the desktop's mail composer, reached through xdg-email where it is
// installed, else through the desktop portal's e-mail interface. Without
// either the service is not offered.
#pragma once

#include "app/export/SharingService.h"

#include <QDBusConnection>
#include <QStringList>
#include <optional>

namespace ql {

class EmailService : public SharingService {
public:
    enum class Composer { None, XdgEmail, Portal };

    // The portal is looked for on the desktop session's bus, or on `bus`.
    EmailService() = default;
    explicit EmailService(const QDBusConnection& bus) : m_bus(bus) {}

    QString title() const override;
    QIcon image() const override;
    bool canPerformWithItems(const SharingItems& items) const override;
    Status performWithItems(const SharingItems& items) override;

    // How a message would be composed now: xdg-email is looked for on PATH
    // each time, the portal once.
    Composer composer() const;
    // The attachments of the last message handed over.
    QStringList lastAttachments() const { return m_lastAttachments; }

private:
    bool portalOffersEmail() const;
    Status composeWithXdgEmail(const QString& program, const QStringList& files) const;
    Status composeWithPortal(const QStringList& files) const;

    mutable std::optional<QDBusConnection> m_bus;
    mutable std::optional<bool> m_portal;
    QStringList m_lastAttachments;
};

} // namespace ql
