// The page inspector, with the background picker of the current page and the
// button that copies the current page's settings to every shown page.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

#include <QPointer>

class QPushButton;

namespace ql {

class ZVBackgroundPicker;

class ZVPageSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    explicit ZVPageSettingsController(QObject* parent = nullptr);

    ZVBackgroundPicker* backgroundPicker() const { return m_backgroundPicker; }
    QPushButton* applyButton();
    // The represented document copies the current page's settings to every
    // page it shows.
    void applySettingsToAllPages();

protected:
    QString title() const override { return tr("Page Settings"); }
    void buildView(QWidget* view) override;
    // Pages are set whatever element is selected.
    bool showsElement(const ZVPuttyView&) const override { return false; }
    void enableControls(QWidget* view, bool) override { view->setEnabled(true); }

private:
    ZVBackgroundPicker* m_backgroundPicker;
    QPointer<QPushButton> m_applyButton;
};

} // namespace ql
