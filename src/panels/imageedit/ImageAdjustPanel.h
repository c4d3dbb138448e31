// The adjustment panel the image editor opens: a tool window, shared by the
// whole program, with brightness, contrast and saturation sliders that
// adjust the picture of its data source, an image editor's view.
#pragma once

#include <QPointer>
#include <QWidget>

class QSlider;

namespace ql {

class ImageEditView;

class ImageAdjustPanel : public QWidget {
    Q_OBJECT
public:
    explicit ImageAdjustPanel(QWidget* parent = nullptr);

    // The program's panel, made on first use and gone when the program ends.
    static ImageAdjustPanel* sharedImageEditPanel();

    ImageEditView* dataSource() const { return m_dataSource.data(); }
    // The sliders take the view's settings.
    void setDataSource(ImageEditView* view);

    QSlider* brightnessSlider() const { return m_brightness; }
    QSlider* contrastSlider() const { return m_contrast; }
    QSlider* saturationSlider() const { return m_saturation; }

    // Slider positions, in hundredths of the settings.
    static constexpr int kScale = 100;

private:
    void apply();

    QPointer<ImageEditView> m_dataSource;
    QSlider* m_brightness;
    QSlider* m_contrast;
    QSlider* m_saturation;
};

} // namespace ql
