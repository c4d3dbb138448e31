#include "panels/inspectors/ZVPageSettingsController.h"

#include "app/document/Document.h"
#include "panels/inspectors/ZVBackgroundPicker.h"

#include <QBoxLayout>
#include <QPushButton>

namespace ql {

ZVPageSettingsController::ZVPageSettingsController(QObject* parent)
    : ZVInspectorController(parent), m_backgroundPicker(new ZVBackgroundPicker(this))
{
}

QPushButton* ZVPageSettingsController::applyButton()
{
    view();
    return m_applyButton;
}

void ZVPageSettingsController::applySettingsToAllPages()
{
    if (auto* document = qobject_cast<Document*>(representedObject()))
        document->applyPageSettingsToAllPages();
}

void ZVPageSettingsController::buildView(QWidget* view)
{
    auto* layout = static_cast<QBoxLayout*>(view->layout());
    layout->insertWidget(1, m_backgroundPicker->view());
    m_applyButton = new QPushButton(tr("Apply to All Pages"), view);
    m_applyButton->setObjectName(QStringLiteral("applyButton"));
    connect(m_applyButton, &QPushButton::clicked, this, &ZVPageSettingsController::applySettingsToAllPages);
    layout->insertWidget(2, m_applyButton, 0, Qt::AlignHCenter);
}

} // namespace ql
