#include "panels/imageedit/ImageAdjustPanel.h"

#include "panels/controls/FocusedWheel.h"
#include "panels/imageedit/ImageEditView.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QSlider>
#include <cmath>

namespace ql {

namespace {

QPointer<ImageAdjustPanel> sharedPanel;

QSlider* slider(QWidget* parent, const QString& name, int minimum, int maximum, int value)
{
    auto* made = new QSlider(Qt::Horizontal, parent);
    made->setObjectName(name);
    made->setRange(minimum, maximum);
    made->setValue(value);
    made->setMinimumWidth(180);
    return made;
}

int position(double setting)
{
    return int(std::lround(setting * ImageAdjustPanel::kScale));
}

} // namespace

ImageAdjustPanel::ImageAdjustPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_brightness(slider(this, QStringLiteral("brightness"), -kScale, kScale, 0))
    , m_contrast(slider(this, QStringLiteral("contrast"), kScale / 4, 4 * kScale, kScale))
    , m_saturation(slider(this, QStringLiteral("saturation"), 0, 2 * kScale, kScale))
{
    setObjectName(QStringLiteral("imageEditPanel"));
    setWindowTitle(tr("Adjust Image"));
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Brightness"), m_brightness);
    layout->addRow(tr("Contrast"), m_contrast);
    layout->addRow(tr("Saturation"), m_saturation);
    for (QSlider* each : {m_brightness, m_contrast, m_saturation})
        connect(each, &QSlider::valueChanged, this, &ImageAdjustPanel::apply);
    FocusedWheel::cover(this);
}

ImageAdjustPanel* ImageAdjustPanel::sharedImageEditPanel()
{
    if (!sharedPanel) {
        sharedPanel = new ImageAdjustPanel;
        // Widgets must go before the application object does.
        qAddPostRoutine([] { delete sharedPanel.data(); });
    }
    return sharedPanel;
}

void ImageAdjustPanel::setDataSource(ImageEditView* view)
{
    m_dataSource = view;
    if (!view)
        return;
    const QSignalBlocker brightness(m_brightness);
    const QSignalBlocker contrast(m_contrast);
    const QSignalBlocker saturation(m_saturation);
    m_brightness->setValue(position(view->brightness()));
    m_contrast->setValue(position(view->contrast()));
    m_saturation->setValue(position(view->saturation()));
}

void ImageAdjustPanel::apply()
{
    if (m_dataSource)
        m_dataSource->setAdjustments(m_brightness->value() / double(kScale), m_contrast->value() / double(kScale),
                                     m_saturation->value() / double(kScale));
}

} // namespace ql
