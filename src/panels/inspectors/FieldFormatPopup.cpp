#include "panels/inspectors/FieldFormatPopup.h"

#include <QSignalBlocker>

namespace ql {

FieldFormatPopup::FieldFormatPopup(const QString& heading, QWidget* parent) : QComboBox(parent), m_heading(heading)
{
    rebuild();
}

void FieldFormatPopup::rebuild()
{
    const QSignalBlocker blocker(this);
    m_shown = m_choices ? m_choices() : QVariantList();
    clear();
    addItem(m_heading);
    for (const QVariant& entry : std::as_const(m_shown))
        addItem(entry.toMap().value(QStringLiteral("title")).toString());
    setCurrentIndex(0);
}

void FieldFormatPopup::showPopup()
{
    rebuild();
    QComboBox::showPopup();
}

} // namespace ql
