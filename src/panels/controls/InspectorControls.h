// The pieces inspectors build their forms from: rows with a caption in the
// first column and a control stretching in the second, and controls named
// after the key path they edit.
#pragma once

#include "panels/controls/KeyPathBinding.h"

#include <QStringList>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

namespace ql::inspector {

// Binding options for numbers of a kind, within bounds, shown through a
// named value transformer.
KeyPathBinding::Options numbers(KeyPathBinding::NumberKind kind, std::optional<double> minimum = std::nullopt,
                                std::optional<double> maximum = std::nullopt, const QString& transformer = {});

QGridLayout* rowsOf(QWidget* box);
QWidget* box(const QString& name, QWidget* parent);
QLabel* caption(const QString& text, QWidget* parent);
QComboBox* popup(const QString& keyPath, const QStringList& titles, QWidget* parent);
QSlider* slider(const QString& keyPath, int minimum, int maximum, QWidget* parent);
// A short right-aligned field.
QLineEdit* field(const QString& keyPath, QWidget* parent);

} // namespace ql::inspector
