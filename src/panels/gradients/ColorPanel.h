// The program's one colour panel: a non-modal colour dialog with alpha and
// without buttons, shared by every colour well and gradient picker. It
// serves one client at a time; taking it lets go of the previous client.
#pragma once

#include "platform/graphics/Color.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QColorDialog;

namespace ql {

class ColorPanel : public QObject {
    Q_OBJECT
public:
    // What a client hands over: its lifetime, what to do with the user's
    // colours, and what to do when another client takes the panel.
    struct Client {
        QObject* owner = nullptr;
        std::function<void(const Color&)> changeColor;
        std::function<void()> letGo;
    };

    static ColorPanel& shared();

    // The panel's window, made on first use.
    QColorDialog* dialog();

    void attach(Client client);
    // Lets go of `owner` when it is the client; its letGo is not called.
    void detach(QObject* owner);
    QObject* client() const { return m_owner.data(); }

    // Shows a colour without handing it to the client.
    void setColor(const Color& color);
    Color color() const;

    void orderFront();
    bool isVisible() const;
    void close();

signals:
    // The user (or close()) is closing the panel.
    void willClose();

private:
    explicit ColorPanel(QObject* parent);
    ~ColorPanel() override;
    void deliver();

    QPointer<QColorDialog> m_dialog;
    Client m_client;
    QPointer<QObject> m_owner;
    bool m_settingColor = false;
};

} // namespace ql
