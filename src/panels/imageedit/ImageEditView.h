// The image editor's picture view: the picture turned by the rotation angle
// (the result is its bounding box, corners transparent), adjusted by
// brightness, contrast and saturation, with a crop selection in the turned
// picture's pixels. Tools: move (the view pans), crop (a rectangle with
// handles) and rotate (a drag turns the picture about its centre). Zooms in
// and out, fits the picture when it loads, and shows both scroll bars.
#pragma once

#include "imaging/effects/ImageLevels.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QUrl>
#include <memory>
#include <optional>

class QGraphicsPixmapItem;

namespace ql {

class CropSelectionItem;
class ImageEditTool;

class ImageEditView : public QGraphicsView {
    Q_OBJECT
public:
    enum ToolMode { MoveTool = 0, CropTool = 1, RotateTool = 2 };

    explicit ImageEditView(QWidget* parent = nullptr);
    ~ImageEditView() override;

    // Opens a picture file; false (and nothing changes) when it is not one.
    bool setImageWithURL(const QUrl& url);
    void setImage(const QImage& picture);
    bool hasImage() const { return !m_source.isNull(); }
    // The picture as edited: turned and adjusted. A crop selection counts
    // only once crop() has applied it.
    QImage image() const;
    // The turned picture's size in pixels.
    QSize imageSize() const { return m_turnedSize; }

    int currentToolMode() const { return m_toolMode; }
    void setCurrentToolMode(int mode);
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }

    // Degrees, clockwise; a new angle clears the crop selection.
    double rotationAngle() const { return m_angle; }
    void setRotationAngle(double degrees);

    // The selection in the turned picture's pixels.
    const std::optional<QRectF>& cropSelection() const { return m_crop; }
    void setCropSelection(const QRectF& rect);
    void clearCropSelection();
    // The whole pixels of the picture the selection covers; empty when it
    // covers none.
    QRect cropRect() const;
    // A selection that would leave nothing of the picture.
    bool isCropEmpty() const { return m_crop.has_value() && cropRect().isEmpty(); }
    // Makes the selected part the picture (turned as shown, the angle back
    // at 0). False, and nothing changes, without a selection or when it
    // would leave nothing.
    bool crop();

    double brightness() const { return m_levels.brightness; }
    double contrast() const { return m_levels.contrast; }
    double saturation() const { return m_levels.saturation; }
    void setAdjustments(double brightness, double contrast, double saturation);

    double zoomFactor() const { return m_zoom; }
    void setZoomFactor(double zoom);
    void zoomIn();
    void zoomOut();
    // Shows the whole picture, and keeps doing so as the view resizes until
    // the user zooms.
    void zoomImageToFit();

    // From the picture's pixels to the turned picture's, whose bounding box
    // starts at (0, 0) and is `turnedSize` large.
    static QTransform turning(QSize picture, double degrees, QSize* turnedSize = nullptr);
    static QImage turned(const QImage& picture, double degrees);

signals:
    void imageChanged();
    void cropSelectionChanged();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows the picture with its angle and adjustments.
    void refresh();
    void applyZoom(double zoom);
    std::unique_ptr<ImageEditTool> toolForMode();
    // Hands the event to the gesture under way; false when there is none.
    bool toGesture(QMouseEvent* event, void (ImageEditTool::*step)(QPointF, QPointF));

    QGraphicsScene m_scene;
    QGraphicsPixmapItem* m_pixmap = nullptr;
    CropSelectionItem* m_selectionItem = nullptr;
    QImage m_source;
    QImage m_adjusted;
    QSize m_turnedSize;
    double m_angle = 0.0;
    effects::LevelSettings m_levels;
    std::optional<QRectF> m_crop;
    int m_toolMode = MoveTool;
    bool m_editable = true;
    double m_zoom = 1.0;
    bool m_fitting = false;
    std::unique_ptr<ImageEditTool> m_gesture;
};

} // namespace ql
