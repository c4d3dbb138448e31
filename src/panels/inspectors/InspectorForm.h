// Builds the rows of an inspector: a caption in the first column, the
// control beside it and, for sliders, a field showing the value. Every
// control is named after the key path it is bound to, and bound at once.
// Numeric text fields refuse text that does not start with a number.
#pragma once

#include "panels/controls/KeyPathBinding.h"

#include <QHash>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

namespace ql {

class GPColorWell;
class KeyPathBindings;

class InspectorForm {
public:
    using Options = KeyPathBinding::Options;
    using Number = KeyPathBinding::NumberKind;

    InspectorForm(QWidget* parent, KeyPathBindings& bindings);

    QWidget* widget() const { return m_widget; }
    KeyPathBindings& bindings() const { return m_bindings; }

    // A bold title over the rows that follow.
    QLabel* heading(const QString& title);
    QCheckBox* check(const QString& title, const QString& keyPath, Options options = {});
    // Item i stands for the number i unless the options map it.
    QComboBox* popup(const QString& caption, const QString& keyPath, const QStringList& titles,
                     Options options = Options::numbers(Number::Integer));
    QLineEdit* field(const QString& caption, const QString& keyPath, Options options);
    // Positions `minimum` to `maximum` show the value × `factor`; the field
    // beside it shows the value through `fieldOptions`.
    QSlider* slider(const QString& caption, const QString& keyPath, int minimum, int maximum, double factor,
                    Options options, const Options& fieldOptions);
    GPColorWell* well(const QString& caption, const QString& keyPath, Options options = {});
    // The installed font families by name; a name documents store
    // ("Helvetica") shows as the family standing in for it.
    QComboBox* families(const QString& caption, const QString& keyPath);
    // Any control (or row of controls) under a caption, spanning the row.
    void row(const QString& caption, QWidget* control);
    // A control across the whole width, captions' column included.
    void wide(QWidget* control);
    // The caption placed beside a control (to hide with it); null for none.
    QLabel* captionOf(const QWidget* control) const { return m_captions.value(control); }
    // A text field of its own, not yet placed or bound.
    static QLineEdit* makeField(const QString& keyPath, QWidget* parent);
    // Numbers written from text: refused when the text has none.
    static Options numericText(Options options);

private:
    QLabel* captionLabel(const QString& text);
    void place(const QString& caption, QWidget* control, QWidget* extra = nullptr,
               Qt::Alignment alignment = {});

    QWidget* m_widget;
    QGridLayout* m_grid;
    KeyPathBindings& m_bindings;
    int m_row = 0;
    QHash<const QWidget*, QLabel*> m_captions;
};

} // namespace ql
