// The vector shape content of an element: one drawing-framework shape (a
// library outline, converted text or a finished drawing) kept on a private
// drawing that is never shown, and every setting that styles it: the fill
// (its own background), stroke, dash, caps and joins, arrowheads, text along
// the outline and the adjustment of stars, squares and rings. Each change of
// a setting records its undo on the element's document and rebuilds the
// shape's style, size or outline; the view's image is the drawing rendered
// at the content's size, made when first asked for after a rebuild.
#pragma once

#include "content/ZVImageView.h"
#include "platform/graphics/Font.h"
#include "shapes/ZVImageAdornment.h"

#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <memory>
#include <vector>

class DFDrawable;
class DFDrawingView;
class DFObjectDrawingLayer;
class DFRasterizer;
class ZVBackgroundView;
namespace ql {
struct KeyValueChange;
}

class ZVVectorView : public ZVImageView {
    Q_OBJECT
public:
    explicit ZVVectorView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    ~ZVVectorView() override;
    // A shape view for the archive reader to fill: its fill background comes
    // from the archive, and a default one is made only when it has none. It
    // watches its settings once they are read.
    static ZVVectorView* forReading();
    const ql::PropertyTable& properties() const override;

    // Also hands the shape's own fill background the element and its page.
    void setPuttyView(ZVPuttyView* element) override;

    // The drawable (an image shape, or a path object for a newly finished
    // drawing); null until one is set.
    DFDrawable* shape() const { return m_shape; }
    // Takes the drawable over and puts it on the private layer; null is
    // ignored and keeps the present shape.
    void setShape(DFDrawable* shape);
    void setShape(std::unique_ptr<DFDrawable> shape);
    QString shapeName() const { return m_shapeName; }
    // Stores the name and sets adjustability: the stars, "ring", "square"
    // and "roundedSquare" get their adjustment and its range afresh.
    void setShapeName(const QString& name);
    static bool isAdjustableName(const QString& name);

    DFDrawingView* drawingView() const { return m_drawingView.get(); }
    DFObjectDrawingLayer* dflayer() const { return m_dflayer; }
    // The shape's fill; always present.
    ZVBackgroundView* backgroundView() const { return m_backgroundView; }
    // The image view's pictures and the fill's.
    bool hasUndecodablePicture() const override;
    // Replaces the fill background (a reader's); null keeps the present one.
    void setBackgroundView(ZVBackgroundView* background);
    // The image fill of the last rebuild that used one.
    ZVImageAdornment* imageAdorn() const { return m_imageAdorn.data(); }

    bool strokeEnabled() const { return m_strokeEnabled; }
    void setStrokeEnabled(bool enabled);
    // Stored only: the fill comes from the fill background alone.
    bool fillEnabled() const { return m_fillEnabled; }
    void setFillEnabled(bool enabled);
    bool adjustmentEligible() const { return m_adjustmentEligible; }
    void setAdjustmentEligible(bool eligible);
    // Reals (or null); the range is published for editing, never enforced.
    QVariant adjustment() const { return m_adjustment; }
    void setAdjustment(const QVariant& value);
    QVariant adjustmentMin() const { return m_adjustmentMin; }
    void setAdjustmentMin(const QVariant& value);
    QVariant adjustmentMax() const { return m_adjustmentMax; }
    void setAdjustmentMax(const QVariant& value);
    bool isPath() const { return m_isPath; }
    void setIsPath(bool isPath);
    // Where the image fill's origin stood after the last rebuild with one.
    QPointF imageOrigin() const { return m_imageOrigin; }
    void setImageOrigin(QPointF origin);
    // A point, or null (read as (0, 0)): the image fill's origin.
    QVariant backgroundOffset() const { return m_backgroundOffset; }
    void setBackgroundOffset(const QVariant& offset);
    QPointF backgroundOffsetPoint() const;

    // A ql::Color, or null.
    QVariant strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QVariant& color);
    // A real, or null.
    QVariant strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(const QVariant& width);
    // Codes are integers (or null): dash 0-11, cap and join 0-2.
    QVariant strokeType() const { return m_strokeType; }
    void setStrokeType(const QVariant& type);
    QVariant strokeLineCap() const { return m_strokeLineCap; }
    void setStrokeLineCap(const QVariant& cap);
    QVariant strokeLineJoin() const { return m_strokeLineJoin; }
    void setStrokeLineJoin(const QVariant& join);

    bool arrowEnabled() const { return m_arrowEnabled; }
    void setArrowEnabled(bool enabled);
    // Head kinds at the start and end, length and width in points: integers.
    QVariant leftArrow() const { return m_leftArrow; }
    void setLeftArrow(const QVariant& kind);
    QVariant rightArrow() const { return m_rightArrow; }
    void setRightArrow(const QVariant& kind);
    QVariant arrowLength() const { return m_arrowLength; }
    void setArrowLength(const QVariant& length);
    QVariant arrowWidth() const { return m_arrowWidth; }
    void setArrowWidth(const QVariant& width);

    bool textEnabled() const { return m_textEnabled; }
    void setTextEnabled(bool enabled);
    QString text() const { return m_text; }
    void setText(const QString& text);
    QString textFontFamilyName() const { return m_textFontFamilyName; }
    void setTextFontFamilyName(const QString& name);
    // Integers (or null): size, alignment 0-3, placement, letter spacing
    // and the indent from the outline's start, in points.
    QVariant textFontSize() const { return m_textFontSize; }
    void setTextFontSize(const QVariant& size);
    QVariant textAlignment() const { return m_textAlignment; }
    void setTextAlignment(const QVariant& alignment);
    QVariant textPlacement() const { return m_textPlacement; }
    void setTextPlacement(const QVariant& placement);
    QVariant textLetterSpacing() const { return m_textLetterSpacing; }
    void setTextLetterSpacing(const QVariant& spacing);
    QVariant textOffset() const { return m_textOffset; }
    void setTextOffset(const QVariant& offset);
    bool textHideShape() const { return m_textHideShape; }
    void setTextHideShape(bool hide);

    // How much smaller than the view the shape is kept, for text drawn
    // beside the outline; the style rebuild sets it.
    double extraDownscale() const { return m_extraDownscale; }
    void setExtraDownscale(double extra);
    QSizeF oldSize() const { return m_oldSize; }
    void setOldSize(QSizeF size);

    // The key paths the view watches on itself (empty before observing).
    QStringList observingKeyPaths2() const { return m_isObserving2 ? observedKeyPaths2() : QStringList(); }
    static const QStringList& observedKeyPaths2();
    bool isObserving2() const { return m_isObserving2; }
    // Watches the view's settings, once; then gives the view a new fill
    // background that is selected and marked as a shape's backing.
    void startObserving();

    // The generic undo: sets the key path back (a null value as null). The
    // change is observed like any other, which records its inverse.
    void undoChangeForKeyPath(const QString& keyPath, const QVariant& value);
    void redoChangeForKeyPath(const QString& keyPath, const QVariant& value) { undoChangeForKeyPath(keyPath, value); }

    // Rebuilds the shape's style from the settings, sizes it and puts it
    // back on its layer. Does nothing without a shape.
    void setShapeProperties();
    // Fits the private drawing and the shape to the view's bounds, keeping
    // room for the element's border, the stroke and text beside the outline.
    void sizeShape();
    // The private drawing and its view take the view's bounds.
    void fitDrawingToBounds();
    // Rebuilds an adjustable outline from the shape factory with the
    // present adjustment, then sizes and styles it again.
    void adjustShape();
    // After every observed change: the border and inner-shadow layers are
    // laid out, the image is made afresh when next asked for, and views
    // drawing the element redraw.
    void layout() override;

    // The private drawing rendered at the content's size (transparent where
    // nothing is drawn), made on first use after each rebuild.
    const ql::Image& image() const override;
    // Draws the shape with its style into the view's bounds (origin top
    // left, in points). A shape with no room left draws nothing.
    void paintShape(QPainter& painter) const;
    // Text boxes take text in a font; a shape's text is its own settings'.
    void setText(const QString&, const ql::Font&) {}
    // The font the text along the outline is drawn with.
    ql::Font textFont() const;

    // An independent copy with its own shape and fill, made through the
    // archive.
    std::unique_ptr<ZVVectorView> copy() const;

    QStringList archiveClassChain() const override;
    // The image view's keys, then the shape view's; the shape is written
    // without its picture.
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Reads every key quietly (nothing recorded, nothing rebuilt key by key)
    // and rebuilds once at the end.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    // Changes made while one is alive run no observation handler.
    class QuietChanges {
    public:
        explicit QuietChanges(ZVVectorView& view) : m_view(view) { ++m_view.m_quiet; }
        ~QuietChanges() { --m_view.m_quiet; }
        QuietChanges(const QuietChanges&) = delete;
        QuietChanges& operator=(const QuietChanges&) = delete;

    private:
        ZVVectorView& m_view;
    };

    struct Unfilled {};
    explicit ZVVectorView(Unfilled);
    void initialize();
    void observeSettings();
    // Copies the pattern fills of the style just read, for the rebuilds.
    void keepStoredPatternFills();
    // A fresh fill, the one the background picker edits for this shape.
    void makeDefaultBackground();
    void observeValueForKeyPath(const ql::KeyValueChange& change);
    // The image view's own settings restyle the shape instead of re-running
    // picture adjustments.
    void observedValueChanged(const QString& keyPath) override;
    void layoutAfterHold() override;
    void putShapeOnLayer();
    ZVVectorView* self() const { return const_cast<ZVVectorView*>(this); }

    std::unique_ptr<DFDrawingView> m_drawingView;
    DFObjectDrawingLayer* m_dflayer = nullptr;
    DFDrawable* m_shape = nullptr;
    ZVBackgroundView* m_backgroundView = nullptr;
    QPointer<ZVImageAdornment> m_imageAdorn;
    // Pattern fills the file's style held: the rebuild from the settings
    // makes no such fill of these bytes (or none at all), so they are kept
    // as read, drawn and saved, until the user changes the fill.
    std::vector<std::unique_ptr<DFRasterizer>> m_storedPatternFills;

    QString m_shapeName;
    bool m_strokeEnabled = true;
    bool m_fillEnabled = false;
    bool m_adjustmentEligible = false;
    QVariant m_adjustment;
    QVariant m_adjustmentMin;
    QVariant m_adjustmentMax;
    bool m_isPath = false;
    QPointF m_imageOrigin;
    QVariant m_backgroundOffset;
    QVariant m_strokeColor;
    QVariant m_strokeWidth;
    QVariant m_strokeType;
    QVariant m_strokeLineCap;
    QVariant m_strokeLineJoin;
    bool m_arrowEnabled = false;
    QVariant m_leftArrow;
    QVariant m_rightArrow;
    QVariant m_arrowLength;
    QVariant m_arrowWidth;
    bool m_textEnabled = false;
    QString m_text;
    QString m_textFontFamilyName;
    QVariant m_textFontSize;
    QVariant m_textAlignment;
    QVariant m_textPlacement;
    QVariant m_textLetterSpacing;
    QVariant m_textOffset;
    bool m_textHideShape = false;
    double m_extraDownscale = 0.0;
    QSizeF m_oldSize;
    bool m_isObserving2 = false;

    // Set by sizeShape when the allowances leave the shape no room.
    bool m_collapsed = false;
    int m_quiet = 0;
    bool m_shapePropertiesWaiting = false;
    mutable ql::Image m_rendered;
    mutable bool m_renderedStale = true;
};
