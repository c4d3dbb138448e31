// The page inspector, with the background picker of the current page.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVBackgroundPicker;

class ZVPageSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    explicit ZVPageSettingsController(QObject* parent = nullptr);

    ZVBackgroundPicker* backgroundPicker() const { return m_backgroundPicker; }

protected:
    QString title() const override { return tr("Page Settings"); }
    void buildView(QWidget* view) override;

private:
    ZVBackgroundPicker* m_backgroundPicker;
};

} // namespace ql
