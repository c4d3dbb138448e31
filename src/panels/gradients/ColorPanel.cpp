#include "panels/gradients/ColorPanel.h"

#include "panels/controls/FocusedWheel.h"

#include <QApplication>
#include <QColorDialog>

namespace ql {

ColorPanel& ColorPanel::shared()
{
    // Lives as long as the process; its window goes when the program quits,
    // while the application is still there.
    static ColorPanel* const panel = new ColorPanel(nullptr);
    return *panel;
}

ColorPanel::ColorPanel(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { delete m_dialog.data(); });
}

ColorPanel::~ColorPanel() = default;

QColorDialog* ColorPanel::dialog()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog;
        m_dialog->setObjectName(QStringLiteral("colorPanel"));
        m_dialog->setWindowTitle(tr("Colours"));
        m_dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::NoButtons |
                             QColorDialog::DontUseNativeDialog);
        m_dialog->setModal(false);
        m_dialog->setWindowFlag(Qt::Tool);
        FocusedWheel::cover(m_dialog);
        connect(m_dialog, &QColorDialog::currentColorChanged, this, [this] { deliver(); });
        connect(m_dialog, &QDialog::finished, this, [this] { emit willClose(); });
    }
    return m_dialog;
}

void ColorPanel::attach(Client client)
{
    if (m_owner && m_owner != client.owner && m_client.letGo) {
        const auto letGo = m_client.letGo;
        m_client = {};
        letGo();
    }
    m_client = std::move(client);
    m_owner = m_client.owner;
}

void ColorPanel::detach(QObject* owner)
{
    if (owner && m_owner == owner) {
        m_client = {};
        m_owner = nullptr;
    }
}

void ColorPanel::setColor(const Color& color)
{
    m_settingColor = true;
    dialog()->setCurrentColor(color.toQColor());
    m_settingColor = false;
}

Color ColorPanel::color() const
{
    return m_dialog ? Color::fromQColor(m_dialog->currentColor()) : Color::white();
}

void ColorPanel::orderFront()
{
    dialog()->show();
    m_dialog->raise();
}

bool ColorPanel::isVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

void ColorPanel::close()
{
    if (isVisible())
        m_dialog->reject();
}

void ColorPanel::deliver()
{
    if (m_settingColor || !m_owner || !m_client.changeColor)
        return;
    // The client may give the panel up while it takes the colour.
    const auto changeColor = m_client.changeColor;
    changeColor(color());
}

} // namespace ql
