// The gradient panel: a tool window with a linear gradient picker, the
// list of gradients as swatches, and Add and Remove. It edits the gradient
// of the active gradient well: the picker's changes go to the well and fire
// its action; a swatch sets both. The list lives in a file of the user's.
#pragma once

#include "platform/graphics/Gradient.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace ql {

class GPGradientPickerLinear;
class GPGradientView;
class GPGradientWell;

class GPGradientPanel : public QWidget {
    Q_OBJECT
public:
    // A panel keeping its list at `listPath`.
    explicit GPGradientPanel(const QString& listPath, QWidget* parent = nullptr);
    ~GPGradientPanel() override;

    // The program's panel, keeping its list in the per-user data folder.
    static GPGradientPanel& shared();
    // clear, simple, spectrum, glossy, dark glossy, mid glossy, dark subtle,
    // red glossy.
    static QList<Gradient> defaultGradients();

    GPGradientPickerLinear* picker() const { return m_picker; }
    GPGradientView* gradientView() const { return m_gradientView; }
    QListWidget* swatches() const { return m_swatches; }
    QPushButton* addButton() const { return m_addButton; }
    QPushButton* removeButton() const { return m_removeButton; }
    const QList<Gradient>& gradients() const { return m_gradients; }
    QString listPath() const { return m_listPath; }

    GPGradientWell* activeWell() const;
    // Edits the well's gradient from now on (the previous well lets go) and
    // comes to the front.
    void activateWell(GPGradientWell* well);
    void deactivateWell(GPGradientWell* well);

    // The picker's target calls.
    Q_INVOKABLE void gradientPickerDidChange(QObject* sender);
    // Hands the colour panel to the picker's active stop: no colour well
    // keeps it.
    Q_INVOKABLE void deactivateOtherWells(QObject* sender);

    // Add: the picker's gradient joins the list. Remove: the selected swatch
    // leaves it. Both write the list.
    void addGradient();
    void removeSelectedGradient();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void loadGradients();
    void saveGradients();
    void rebuildSwatches();
    void chooseSwatch(int row);

    QString m_listPath;
    QList<Gradient> m_gradients;
    GPGradientPickerLinear* m_picker;
    GPGradientView* m_gradientView;
    QListWidget* m_swatches;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
    QPointer<GPGradientWell> m_activeWell;
};

} // namespace ql
