// A pop-up of the choices of a page-number or date field: item 0 is a
// heading that always shows, item i is choice i − 1. The choices read as
// the field would read now, so they are asked for each time it opens.
#pragma once

#include <QComboBox>
#include <QVariantList>
#include <functional>

namespace ql {

class FieldFormatPopup : public QComboBox {
    Q_OBJECT
public:
    FieldFormatPopup(const QString& heading, QWidget* parent = nullptr);

    // The choices, maps with a "title" and a "format".
    void setChoices(std::function<QVariantList()> choices) { m_choices = std::move(choices); }
    // The heading and the choices of this moment.
    void rebuild();
    // The choice an item stands for; null for the heading.
    QVariant choice(int index) const { return index >= 1 ? m_shown.value(index - 1) : QVariant(); }
    void showPopup() override;

private:
    QString m_heading;
    std::function<QVariantList()> m_choices;
    QVariantList m_shown;
};

} // namespace ql
