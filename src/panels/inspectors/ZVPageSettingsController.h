// The page inspector: the current page's size, orientation, width and
// height, margins, bleed and guides, shown in the display unit and edited
// both ways through the document's "currentPage" (so it follows page
// switches), the background picker of the current page, and the button that
// copies the current page's settings to every shown page, and the current
// page's master page. While a master is linked the page takes its geometry
// from the master: the fields show the master's values, say so and stay
// closed.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

#include <QPointer>

class QLabel;
class QPushButton;

namespace ql {

class KeyPathBindings;
class MasterPagePopup;
class ZVBackgroundPicker;

class ZVPageSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    explicit ZVPageSettingsController(QObject* parent = nullptr);

    // The document; the controls edit its current page.
    void setRepresentedObject(QObject* object) override;

    ZVBackgroundPicker* backgroundPicker() const { return m_backgroundPicker; }
    // Where the picker's view sits.
    QWidget* backgroundPickerView();
    QPushButton* applyButton();
    KeyPathBindings* bindings() const { return m_bindings; }

    // The size pop-up's titles: item i is page size i, 0 the custom size.
    static QStringList pageSizeTitles();

    // The represented document copies the current page's settings to every
    // page it shows.
    void applySettingsToAllPages(QObject* sender = nullptr);

protected:
    QString title() const override { return tr("Page Settings"); }
    void buildView(QWidget* view) override;
    // Pages are set whatever element is selected.
    bool showsElement(const ZVPuttyView&) const override { return false; }
    void enableControls(QWidget* view, bool) override { view->setEnabled(true); }

private:
    QWidget* buildSettings(QWidget* parent);
    // The picker on the current page's background, in its place.
    void setup();
    // Where the geometry shown comes from: the page, or its master.
    void showGeometrySource();

    KeyPathBindings* m_bindings;
    ZVBackgroundPicker* m_backgroundPicker;
    QPointer<QWidget> m_backgroundPickerView;
    QPointer<QPushButton> m_applyButton;
    QPointer<MasterPagePopup> m_masterPagePopup;
    QPointer<QLabel> m_masterSource;
    QPointer<QWidget> m_geometry;
};

} // namespace ql
