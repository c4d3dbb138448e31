// One element of a page: a content (image, text, vector shape or 3D text)
// inside a 40-point handle margin, with its background and reflection
// behind it, the per-element settings the inspectors edit, its identity and
// its layer, group and text-chain records. Its observed settings record their
// own undo on the page's document; moves, resizes and rotations have undo
// steps of their own.
#pragma once

#include "canvas/CanvasCursor.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "canvas/guides/StickPoints.h"
#include "imaging/ImageEdits.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"
#include "platform/archive/Codable.h"
#include "platform/object/KVObject.h"

#include <QPointer>
#include <QRectF>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class DFDrawable;
class ZVBackgroundView;
class ZVHandleView;
class ZVLinkTextView;
class ZVRotationHandleView;
class ZVCanvasView;
class ZVContentView;
class ZVImageView;
namespace ql::fields {
template <class C>
class Record;
}
namespace ql {
class UndoManager;
struct CanvasEvent;
struct CanvasMenu;
class Gesture;
}
class QAction;
class QTransform;

class ZVPuttyView : public ql::KVObject, public ql::Codable {
    Q_OBJECT
public:
    enum ContentViewType { ImageContent = 0, TextContent = 1, VectorContent = 2, Text3DContent = 3 };
    // The handle margin around the content on every side.
    static constexpr double kMargin = 40.0;

    explicit ZVPuttyView(QObject* parent = nullptr);
    ~ZVPuttyView() override;
    // An element for the archive reader to fill: its background and
    // reflection views come from the archive, and only those it lacks are
    // made, after reading.
    static ZVPuttyView* forReading();
    const ql::PropertyTable& properties() const override;

    // The kinds of element, each with a fresh UUID. An image element's
    // content takes the size of the image's first representation.
    static std::unique_ptr<ZVPuttyView> initWithImage(const ql::Image& image);
    static std::unique_ptr<ZVPuttyView> initWithText();
    // A shape element takes the drawable over (a library outline as an image
    // shape, converted text, a finished drawing) under its library name.
    static std::unique_ptr<ZVPuttyView> initWithVector(std::unique_ptr<DFDrawable> shape, const QString& name);
    // A library outline, as an image shape of that outline.
    static std::unique_ptr<ZVPuttyView> initWithVector(const ql::BezierPath& outline, const QString& name);
    static std::unique_ptr<ZVPuttyView> initWith3DText(const QString& text);

    static const QStringList& observedKeyPaths();
    void startObserving();
    bool isObserving() const { return m_isObserving; }

    // Geometry. The frame is the content grown by the margin. The element
    // turns about the frame's own origin by the frame rotation (degrees,
    // clockwise on screen), as files store it; turning it about its centre
    // moves that origin instead and keeps the size.
    QRectF frame() const { return m_frame; }
    // Also keeps the offsets from the page's trim box.
    void setFrame(const QRectF& frame);
    double frameRotation() const { return m_rotation; }
    // Turns about the frame origin; the stored frame stays as it is.
    void setFrameRotation(double degrees);
    double frameCenterRotation() const { return m_rotation; }
    // Turns about the element's centre on the page by moving the frame origin.
    void setFrameCenterRotation(double degrees);
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frame.size()); }
    QRectF contentFrame() const;
    // Bounding box of the rotated content (and reflection) in page coordinates.
    QRectF realFrame() const;
    // From the element's own coordinates (its bounds, origin top left) to the
    // page's: the move to the frame origin, then the turn about it.
    QTransform pageTransform() const;
    QPointF mapToPage(QPointF local) const;
    QPointF mapFromPage(QPointF pagePoint) const;
    // Whether a page point lies in the turned frame (handle margin included).
    bool containsPagePoint(QPointF pagePoint) const;

    // Selection state (the page's selection operations set these). Becoming
    // active takes the keyboard, ends crop mode on the way out, restyles the
    // handles and re-selects the inspector.
    bool isActive() const { return m_isActive; }
    void setIsActive(bool active);
    bool isHighlighted() const { return m_isHighlighted; }
    void setIsHighlighted(bool highlighted);
    // Set while one of the element's handles is dragged.
    bool isMoving() const { return m_isMoving; }
    void setIsMoving(bool moving);
    bool isRotating() const { return m_isRotating; }
    void setIsRotating(bool rotating);

    // The eight resize handles, by position; they follow the frame. They
    // are made when first asked for: most elements of a page never show them.
    QList<ZVHandleView*> handles() const;
    // Whether the handles show at all: asking for them only then leaves
    // the page's other elements without any.
    bool showsHandles() const { return !m_handlesHidden && m_handleAlpha > 0; }
    // Whether they have been made (for tests).
    bool hasHandles() const { return !m_handles.empty(); }
    // The link badge on the right edge of a text box (made when first asked for).
    ZVLinkTextView* linkTextView() const;
    // Handle and badge alpha from the selection state: 0.85 active, 0.2
    // highlighted, else 0.
    void setHandleStyle();
    // Hidden while the content is edited.
    void hideHandles();
    void showHandles();
    // Lays out the handles, then the content, background and reflection
    // (those only while the element is wider and higher than its margins).
    void setNeedsLayout();
    ql::CanvasCursor currentHandleCursor() const { return m_currentHandleCursor; }
    void setCurrentHandleCursor(const ql::CanvasCursor& cursor) { m_currentHandleCursor = cursor; }

    // What a press at a page point reaches on this element, by the canvas's
    // rules: only elements of the current layer in the select mode, the
    // handles of an active element before an inactive element above it, the
    // content but not the margin, background or reflection.
    struct Hit {
        enum class Kind { None, Content, Handle, RotationHandle, LinkBadge };
        Kind kind = Kind::None;
        ZVHandleView* handle = nullptr;
        explicit operator bool() const { return kind != Kind::None; }
    };
    Hit hitTest(QPointF pagePoint, int modifiers = 0) const;
    // The handle or rotation handle under a page point, ignoring every rule
    // but the handles being shown.
    Hit handleAt(QPointF pagePoint) const;
    // The page's elements whose frame holds a page point, in element order.
    QList<ZVPuttyView*> viewsAtPoint(QPointF pagePoint) const;

    // Pointer entry points, in page coordinates: a press selects the element
    // and starts a move of every active element; the release ends it and a
    // double click opens the content for editing.
    virtual void mouseDown(const ql::CanvasEvent& event);
    virtual void mouseDragged(const ql::CanvasEvent& event);
    virtual void mouseUp(const ql::CanvasEvent& event);
    // The press handling of a handle press: the selection rule and the start
    // of the move, without an event.
    void mouseDownOnHandle();
    // The selection rule of a press: Shift toggles, else an inactive element
    // becomes the only selected one.
    void applyPressSelection();
    // One element's part of a move: where the pointer was, the ruler echo
    // and the page's callbacks.
    void startMovePuttyViewOrigin(QPointF pagePoint);
    // Moves the origin by a displacement; `notify` tells the page (a move of
    // several elements tells it once, after the last).
    void movePuttyViewOrigin(QPointF displacement, bool notify = true);
    void endMovePuttyViewOrigin();
    QPointF lastDragLocation() const { return m_lastDragLocation; }
    void setLastDragLocation(QPointF location) { m_lastDragLocation = location; }
    // The double-click road by kind: text (and its chain on this page) and
    // 3D text enter edit mode, a shape goes to the drawing layer, a bitmap
    // opens the image editor; then the content inspector shows.
    void openForEditing();
    // Hands a shape to the page's drawing surface for point editing: the
    // element leaves the page until the editing ends.
    void applyToDrawingView();

    // The context menu of a right (or Control) press, made anew each time;
    // its items are enabled by this element's validation and the page's.
    ql::CanvasMenu menuForEvent();
    // The element's own commands of that menu: Edit starts editing the
    // content (and shows the content inspector); Delete removes the page's
    // selection.
    void editItem();
    void deleteActivePuttyViews();
    // Conversions: the page gets a new element of another kind in this one's
    // place, frame and turn, with a new identity and default settings, as
    // one undoable step. Pictures are rendered at 300 dots per inch.
    void convertTextToImage();
    void convertTextTo3DText();
    void convertTextToShape();
    void convertShapeToImage();
    void convert3DTextToImage();
    // Replaces this element on its page by `replacement` as the conversions
    // do; the new element, owned by the page, or null without a page.
    ZVPuttyView* replaceBy(std::unique_ptr<ZVPuttyView> replacement);
    // Linked text boxes (ZVPuttyViewLinking.cpp). A text box continues in a
    // new box: at once on the only page, else on the page chosen from a
    // menu "Add Linked Text Box" popped up at a page point.
    void createLinkedTextView(QPointF pagePoint);
    // The menu's action: its item carries the page's index.
    void insertLinkedTextBox(const QAction* item);
    // Adds an empty text box (undoably) to the document's page at `index`,
    // beside this box on its own page or at the left margin of another,
    // selects it and lets this box's text continue into it, right after
    // this box in its chain. Null when there is no such page.
    ZVPuttyView* createLinkedTextViewAtPage(int index);

    // Ruler echo of the element's edges while it moves.
    void beginEchoingMoveToRulers(const QRectF& rect);
    void continueEchoingMoveToRulers(const QRectF& rect);
    void stopEchoingMoveToRulers();
    QRectF rulerEchoedBounds() const { return m_rulerEchoedBounds; }

    // Whether a context-menu command applies to this element, by its
    // selector name.
    bool validateMenuItem(const QString& action) const;

    // Image elements turn their picture and its mask over, undoably; others
    // do nothing. False, with nothing changed and nothing recorded, when the
    // picture could not be turned over (its pixels do not decode, or are
    // too many to).
    bool flipHorizontal();
    bool flipVertical();
    // The same, left to right when `horizontally`, taking the files it
    // reads from `ready` where they were mirrored ahead.
    bool flip(bool horizontally, const ql::MirroredFiles* ready);
    // The files such a flip reads: one for each of the picture's parts
    // shown at reduced resolution, whose mirroring takes long (none for
    // other kinds, and for pictures whose pixels are at hand).
    ql::MirroredFiles filesToMirror(bool horizontally) const;

    // Effects (ZVPuttyViewEffects.cpp). Each applies one group of settings
    // to the content's layers, the background and the reflection view, and
    // all but setReflection end by refreshing the reflection. All six run
    // once when the element is made, read or copied, and again for a new
    // content.
    void setShadow();
    void setInnerShadow();
    void setBorder();
    void setOpacity();
    void setReflection();
    void setBackground();
    void applyEffects();
    bool firstLoad() const { return m_firstLoad; }
    // Runs the effects when they have not run yet.
    void applyFirstLoad();
    // How far the border reaches into the content (points): its full width
    // for style 2, half for style 1, none for other styles or no border.
    double effectiveBorderWidth() const;
    // Whether the content casts its drop shadow: not while it is cut at
    // rounded corners.
    bool shadowSupported() const { return m_shadowSupported; }
    // The fading mirror picture below the content (content over background),
    // made again on the first request after a change; null while the
    // reflection is off or the content has no size.
    const ql::Image& reflectionImage() const;

    // Distance of the frame origin from the trim box; numbers, null until
    // first set.
    QVariant leftOffset() const { return m_leftOffset; }
    void setLeftOffset(const QVariant& offset);
    QVariant topOffset() const { return m_topOffset; }
    void setTopOffset(const QVariant& offset);

    int contentViewType() const { return m_contentViewType; }
    void setContentViewType(int type);
    ZVContentView* contentView() const { return m_contentView; }
    // Installs the content (the element owns it); a plain image view sets
    // the kind to image.
    void setContentView(ZVContentView* content);
    ZVBackgroundView* backgroundView() const { return m_backgroundView; }
    void setBackgroundView(ZVBackgroundView* background);
    ZVImageView* reflectionView() const { return m_reflectionView; }
    void setReflectionView(ZVImageView* reflection);
    // Whether the content or the background keeps a picture that could not
    // be decoded and draws a placeholder instead.
    bool hasUndecodablePicture() const;

    ZVCanvasView* canvas() const;
    void setCanvas(ZVCanvasView* page);
    ql::UndoManager* undoManager() const;

    QString uuid() const { return m_uuid; }
    void setUuid(const QString& uuid);
    ZVPuttyViewGroup* group() const { return m_group.data(); }
    void setGroup(ZVPuttyViewGroup* group);
    ZVPuttyViewGroup* textGroup() const { return m_textGroup.data(); }
    void setTextGroup(ZVPuttyViewGroup* group);
    ZVPuttyViewGroup* layoutLayerGroup() const { return m_layoutLayerGroup.data(); }
    void setLayoutLayerGroup(ZVPuttyViewGroup* layer);

    bool keepAspectRatio() const { return m_keepAspectRatio; }
    void setKeepAspectRatio(bool keep);
    bool cropMode() const { return m_cropMode; }
    void setCropMode(bool cropMode);
    bool cropEligible() const { return m_cropEligible; }
    QRectF cropRect() const { return m_cropRect; }
    QVariant cropScale() const { return m_cropScale; }
    QVariant imageMode() const { return m_imageMode; }
    double imageXOffset() const { return m_imageXOffset; }
    double imageYOffset() const { return m_imageYOffset; }
    bool reflectionEnabled() const { return m_reflectionEnabled; }
    QVariant reflectionHeight() const { return m_reflectionHeight; }
    bool isLocked() const { return m_isLocked; }
    bool hideFromPrinting() const { return m_hideFromPrinting; }
    // Text wrap: whether text boxes below the element in its layer flow
    // around it, the wrap shape (0 to 3) and the distance kept (points).
    bool causesWrap() const { return m_causesWrap; }
    QVariant wrapType() const { return m_wrapType; }
    QVariant wrapMargins() const { return m_wrapMargins; }

    // Crop: applies the rectangle when the element is crop-eligible.
    void applyCropInRect(const QRectF& rect);
    void applyCrop();

    // Moves: the one way a move sets the origin; the undo of a move, a
    // resize and a rotation restore what was recorded at the gesture's start.
    void setNewFrame(QPointF origin, bool notify = true);
    void registerMoveUndo();
    void registerMoveUndo(QPointF origin);
    // One-point nudge: 0 up, 1 left, 2 right, 3 down.
    void moveFrame(int direction);
    void undoMove(QPointF origin);
    void redoMove(QPointF origin);
    void setNewPuttyViewFrame(const QRectF& frame, bool withUndo = false);
    void registerResizeUndo();
    void registerResizeUndo(const QRectF& frame);
    void undoResize(const QRectF& frame);
    void redoResize(const QRectF& frame);
    // Snapping: the targets the page's last guide pass found for this
    // element, and the snap onto them (within 2 points): a move shifts the
    // element whole, a handle drag moves single edges. Returns the shift.
    QPointF stickPoint() const { return m_stickPoint; }
    void setStickPoint(QPointF point) { m_stickPoint = point; }
    const ql::StickPoints& stickPoints() const { return m_stickPoints; }
    void setStickPoints(const ql::StickPoints& points) { m_stickPoints = points; }
    QPointF snap();
    // Applies an angle (stored with 32-bit precision); ignored in crop mode.
    void setRotation(double degrees);
    // Rotation undo restores the angle and the frame origin it had, exactly.
    void registerRotateUndo();
    void registerRotateUndo(double degrees, QPointF origin);
    void undoRotate(double degrees, QPointF origin);
    void redoRotate(double degrees, QPointF origin);

    // Keeps the content, background and reflection in step with the frame.
    void layout();

    // A new element made by archiving this one and reading it back: the
    // same identity and settings, its own content and group records.
    std::unique_ptr<ZVPuttyView> copy() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults; reading
    // records no undo.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;


signals:
    // The reflection was refreshed: views drawing the element redraw.
    void reflectionChanged();

private:
    struct Unbuilt {};
    explicit ZVPuttyView(Unbuilt);
    static const ql::fields::Record<ZVPuttyView>& archiveRecord();
    // A picture's crop as documents keep it: in the pixels of the picture
    // crops were first cut from, where the element counts the picture's
    // points; a scale of 1 showed one of those pixels a point.
    struct Crop {
        QVariant scale;
        QPointF offsets;
        QRectF rect;
        // The same crop counted in units of which `unitsPerPoint` make a
        // point of the picture.
        Crop inUnits(double unitsPerPoint) const;
    };
    Crop storedCrop() const;
    // The crop just read, from the units it was stored in to points.
    void takeStoredCrop();
    double storedCropUnitsPerPoint() const;
    void initialize(bool withParts = true);
    // The default background and reflection views, where there are none.
    void makeMissingParts();
    void onObservedChange(const QString& keyPath);
    void onImageModeChanged();
    void setGroupRecord(const QString& key, QPointer<ZVPuttyViewGroup>& field, ZVPuttyViewGroup* group);
    void registerOnUndo(std::function<void()> step);
    void clearGuidesLater();
    Hit baseHitTest(QPointF pagePoint) const;
    void echoRulerLines(const QRectF& from, const QRectF& to);
    // Runs an effect's writes to the content, background and reflection
    // view: derived state, never an undo step of theirs.
    void applyToParts(const std::function<void()>& writes);
    // Runs `steps` with each part's layout held: a part they reshape
    // several times is laid out once, after them.
    void withPartLayoutsHeld(const std::function<void()>& steps);

    QRectF m_frame;
    double m_rotation = 0.0;
    QPointF m_lastDragLocation;
    QRectF m_lastFrame;
    QVariant m_topOffset;
    QVariant m_leftOffset;
    int m_contentViewType = 0;
    ZVContentView* m_contentView = nullptr;
    QPointer<QObject> m_canvas;
    bool m_isActive = false;
    bool m_isMoving = false;
    bool m_isRotating = false;
    bool m_isHighlighted = false;
    bool m_isLocked = false;
    bool m_keepAspectRatio = true;
    QVariant m_viewID;
    QPointF m_stickPoint;
    ql::StickPoints m_stickPoints;
    QPointer<ZVPuttyViewGroup> m_group;
    QPointer<ZVPuttyViewGroup> m_textGroup;
    QPointer<ZVPuttyViewGroup> m_layoutLayerGroup;
    bool m_firstLoad = true;
    mutable bool m_reflectionStale = true;
    // While effects are applied together, the reflection is set once after.
    bool m_reflectionHeld = false;
    bool m_isStuck = false;
    ZVBackgroundView* m_backgroundView = nullptr;
    ZVImageView* m_reflectionView = nullptr;
    bool m_reflectionEnabled = false;
    QVariant m_reflectionOpacity;
    QVariant m_reflectionHeight;
    QString m_uuid;
    bool m_shadowEnabled = false;
    bool m_shadowSupported = true;
    QVariant m_shadowOffset;
    QVariant m_shadowAngle;
    QVariant m_shadowBlurRadius;
    QVariant m_shadowOpacity;
    QVariant m_shadowColor;
    bool m_innerShadowEnabled = false;
    QVariant m_innerShadowOffset;
    QVariant m_innerShadowAngle;
    QVariant m_innerShadowBlurRadius;
    QVariant m_innerShadowOpacity;
    QVariant m_innerShadowColor;
    bool m_causesWrap = false;
    QVariant m_wrapType;
    QVariant m_wrapMargins;
    bool m_borderEnabled = false;
    QVariant m_borderType;
    QVariant m_borderWidth;
    QVariant m_borderRadius;
    QVariant m_borderStyle;
    QVariant m_borderColor;
    QVariant m_borderOpacity;
    QVariant m_layerOpacity;
    QVariant m_imageMode;
    double m_imageXOffset = 0.0;
    double m_imageYOffset = 0.0;
    bool m_cropMode = false;
    bool m_cropEligible = false;
    QRectF m_cropRect;
    bool m_isCropping = false;
    QVariant m_cropScale;
    bool m_hideFromPrinting = false;
    bool m_isObserving = false;

    void ensureHandles() const;
    // The link badge's alpha: faint on highlighted boxes too.
    double badgeAlpha() const;
    mutable std::vector<std::unique_ptr<ZVHandleView>> m_handles;
    // What handles made later start with.
    double m_handleAlpha = 0.0;
    bool m_handlesHidden = false;
    mutable std::unique_ptr<ZVLinkTextView> m_linkTextView;
    std::unique_ptr<ql::Gesture> m_gesture;
    QRectF m_rulerEchoedBounds;
    ql::CanvasCursor m_currentHandleCursor;
};
