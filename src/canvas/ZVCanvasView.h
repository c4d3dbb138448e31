// One page of a publication, content page or master page alike: its size
// preset and orientation, margins, bleed and crop marks, column and row
// guides, ruler guides, layout layers, elements and background, and the link
// to a master page. Geometry is read through the template view: the master
// while one is linked, else the page itself (only clipToMargins is always the
// page's own). The page watches its own settings: each change records its
// undo on the page's document and refreshes what depends on it.
#pragma once

#include "canvas/ZVPuttyViewGroup.h"
#include "imaging/ImageEdits.h"
#include "platform/archive/Codable.h"
#include "platform/object/KVObject.h"

#include <QHash>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

class DFDrawable;
class PageDocument;
class QImage;
class ZVBackgroundView;
class ZVDrawingView;
class ZVObjectDrawingLayer;
class ZVGuideView;
class ZVPuttyView;
namespace ql {
struct DragContext;
}
namespace ql::fields {
template <class C>
class Record;
}
namespace ql {
class CanvasHost;
class Gesture;
class ActiveViewsHold;
class MoveBatch;
class SelectionBatch;
class Image;
class RulerHost;
class UndoManager;
struct CanvasEvent;
struct CanvasMenu;
struct PasteboardContents;
struct RulerMarker;
}

class ZVCanvasView : public ql::KVObject, public ql::Codable {
    Q_OBJECT
public:
    // What the pointer does on the page: select, scroll (hand), zoom, draw a
    // path, a freehand stroke or a line, or select, insert or delete the
    // points of a shape's outline.
    enum DrawingMode { SelectMode = 0, HandMode = 1, ZoomMode = 2, PathMode = 3, FreehandMode = 4, LineMode = 5,
                       PointSelectMode = 6, InsertPointMode = 7, DeletePointMode = 8 };

    explicit ZVCanvasView(QObject* parent = nullptr);
    ~ZVCanvasView() override;
    const ql::PropertyTable& properties() const override;

    static const QStringList& observedKeyPaths();
    void startObserving();
    bool isObserving() const { return m_isObserving; }

    // Sizes the page and its background from the template view's geometry.
    void setCanvasFrames();
    // Links (or, with null, unlinks) a master page and has page-number and
    // date fields refreshed.
    void setMasterPage(ZVCanvasView* master);
    // The link alone: whoever links many pages at once refreshes the fields
    // once afterwards, not once per page.
    void linkMasterPage(ZVCanvasView* master);
    ZVCanvasView* masterPage() const { return m_masterPage.data(); }
    ZVCanvasView* templateView() const;
    // The template's bleed when it has full bleed, else 0.
    double effectiveBleedMargin() const;

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frame.size()); }

    PageDocument* document() const;
    void setDocument(PageDocument* document);
    // The undo manager of the page's own document; none without a document.
    ql::UndoManager* undoManager() const;

    QString uuid() const { return m_uuid; }
    QString masterPageUUID() const { return m_masterPageUUID; }
    void setMasterPageUUID(const QString& uuid);

    int pageSize() const { return m_pageSize; }
    void setPageSize(int size);
    int pageOrientation() const { return m_pageOrientation; }
    void setPageOrientation(int orientation);
    double pageWidth() const { return m_pageWidth; }
    void setPageWidth(double width);
    double pageHeight() const { return m_pageHeight; }
    void setPageHeight(double height);
    double topMargin() const { return m_topMargin; }
    double bottomMargin() const { return m_bottomMargin; }
    double leftMargin() const { return m_leftMargin; }
    double rightMargin() const { return m_rightMargin; }
    bool clipToMargins() const { return m_clipToMargins; }
    double bleedMargin() const { return m_bleedMargin; }
    bool fullBleed() const { return m_fullBleed; }
    bool showBleedCropMarks() const { return m_showBleedCropMarks; }
    QVariant drawingMode() const { return m_drawingMode; }
    // Also kept as the user default "drawingMode". Entering a mode (the
    // page watches it) does what the mode needs (ZVCanvasViewDrawing.cpp).
    void setDrawingMode(const QVariant& mode);

    ZVBackgroundView* backgroundView() const { return m_backgroundView; }
    // Takes the background (a reader's); null keeps the present one.
    void setBackgroundView(ZVBackgroundView* background);

    // Layers, bottom first. The page owns the layers it is given.
    const ZVPuttyViewGroupList& layoutLayers() const { return m_layoutLayers; }
    void setLayoutLayers(const ZVPuttyViewGroupList& layers);
    // A new layer on top of the others.
    ZVPuttyViewGroup* addLayoutLayer(const QString& name);
    ZVPuttyViewGroupList layoutLayersReversed() const;
    ZVPuttyViewGroup* currentLayoutLayer() const;
    void setCurrentLayoutLayer(ZVPuttyViewGroup* layer);
    bool hasLayoutLayer(const ZVPuttyViewGroup* layer) const;

    // Elements in the order they were added.
    const QList<ZVPuttyView*>& puttyViews() const { return m_puttyViews; }
    bool holdsPuttyView(const ZVPuttyView* element) const { return m_puttyViewSet.contains(element); }
    // The one way onto the page: takes the element, enters it in the element
    // list and in its layer (the current layer when it has none) and records
    // one undo step that takes it off again. An element already on the page
    // stays as it is.
    void addPuttyView(ZVPuttyView* element);
    // The one way off the page, with an undo step that puts it back where it
    // stood. The element stays the page's child and is kept in
    // `deletedPuttyViews`, so undo brings back the same element.
    void deletePuttyView(ZVPuttyView* element);
    // The inverses recorded by adding and deleting. Each records exactly one
    // inverse of its own, so undo and redo alternate without ever adding an
    // element twice; an element comes back to its place in the element list,
    // its layer and its text chain.
    void undoAdd(ZVPuttyView* element);
    void redoAdd(ZVPuttyView* element);
    void undoDelete(ZVPuttyView* element);
    void redoDelete(ZVPuttyView* element);
    // Elements taken off the page, each once, kept for undo.
    const QList<ZVPuttyView*>& deletedPuttyViews() const { return m_deletedPuttyViews; }
    // The elements in stacking order: visible layers bottom to top, each in
    // its list's order.
    const QList<ZVPuttyView*>& stackedPuttyViews() const;
    // Restacks the page (at the next read, so that adding many elements
    // stays linear) and tells the view.
    void layoutPuttyViews();
    // Hands each text box of the current layer the rectangles that the
    // wrapping elements above it in its layer cover, in its content's
    // coordinates (ZVCanvasViewWrap.cpp).
    void setClippingRects();
    // Removes every active element and the members of their groups, one
    // undo step; nothing while an element's content is being edited.
    void deleteActivePuttyViews();
    // The Delete command ("delete:"; delete is a keyword).
    void delete_();
    // True while an element's content (text, 3D text) is being edited.
    bool editMode() const { return m_editMode; }

    // Makes layer membership whole after reading: every element lives in
    // exactly one of this page's layers, listed there once, and layers list
    // no stranger.
    void repairLayerMembership();

    // One-based position among the document's pages ("1"), and the letter
    // of a master page ("A").
    QString title() const;
    QString masterPageTitle() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults; reading
    // records no undo.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

    // Selection. An element is selected while its isActive flag is set.
    // The active elements and every member of their groups, each once, in
    // element order; also sets the one/two/three-active flags.
    QList<ZVPuttyView*> activeViews();
    // The active elements that commands may move, resize or turn: a locked
    // element stays where it is.
    QList<ZVPuttyView*> unlockedActiveViews();
    // The active elements alone, each once, in element order.
    QList<ZVPuttyView*> selectedViews() const;
    // Current layer: everything highlighted, and inactive unless Shift is held.
    void highlightPuttyViews();
    // Activates every element of the current layer.
    void selectAll();
    ZVPuttyView* focusedPuttyView() const;
    void setFocusedPuttyView(ZVPuttyView* element);
    bool focused() const { return m_focused; }
    bool focusedImage() const { return m_focusedImage; }
    bool focusedText() const { return m_focusedText; }
    bool focusedVector() const { return m_focusedVector; }
    bool oneOrModeActive() const { return m_oneOrModeActive; }
    bool twoOrModeActive() const { return m_twoOrModeActive; }
    bool threeOrModeActive() const { return m_threeOrModeActive; }
    // Deselects everything and ends editing; the page takes the keyboard.
    void clearPuttyViews();
    // Ends text editing and shows every element's handles again.
    void clearEditingPuttyViews();
    // Puts the element's frame in the middle of the page; size unchanged.
    void centerPuttyView(ZVPuttyView* element);

    // The rubber band: where the last press on the page was, the band's
    // frame and whether it shows.
    QPointF selectionViewOrigin() const { return m_selectionViewOrigin; }
    QRectF selectionViewFrame() const { return m_selectionViewFrame; }
    void setSelectionViewFrame(const QRectF& frame);
    bool selectionViewHidden() const { return m_selectionViewHidden; }
    void setSelectionViewHidden(bool hidden);
    bool shiftKeyPressed() const { return m_shiftKeyPressed; }
    bool optionKeyPressed() const { return m_optionKeyPressed; }

    // The page's own pointer handling; an absent event is a press on the
    // page's empty area in code. By drawing mode: the select mode drags a
    // band that selects, the hand tool scrolls, the zoom tool zooms at a
    // click or to a dragged band.
    virtual void mouseDown(const ql::CanvasEvent* event);
    virtual void mouseDragged(const ql::CanvasEvent& event);
    virtual void mouseUp(const ql::CanvasEvent& event);
    // Activates the current layer's elements whose content meets the band;
    // never deactivates.
    void selectPuttyViewsUnderSelectionView();
    // Keeps the Shift and Option state the page's gestures read.
    void setModifierFlags(int modifiers);
    // True while the hand tool drags.
    bool isMoving() const { return m_isMoving; }
    void setIsMoving(bool moving);
    // The element that became active when it was the only one.
    ZVPuttyView* firstActiveView() const;
    void setFirstActiveView(ZVPuttyView* element);
    // The page's context menu.
    ql::CanvasMenu menuForEvent(const ql::CanvasEvent& event);
    // Keys while no element has the keyboard: Return ends a drawing tool,
    // Escape also deselects, arrows nudge or scroll, Delete and Backspace
    // remove the selection; every other key is taken without effect.
    bool keyDown(const ql::CanvasEvent& event);
    // A modifier key was pressed or let go: the flags, then the tool cursor.
    void flagsChanged(int modifiers);
    // The hand tool's open (closed while dragging) hand or the zoom tool's
    // magnifier (zooming out while Option is held) over the canvas.
    void resetCursorRects();

    // Drawing (ZVCanvasViewDrawing.cpp). The surface lies over the page in
    // the drawing and point-editing modes; what is drawn goes onto
    // `mainlayer`, and a shape whose points are edited is `oldShape`, taken
    // off the page until the editing ends.
    ZVDrawingView* drawingView() const { return m_drawingView; }
    ZVObjectDrawingLayer* mainlayer() const;
    void setMainlayer(ZVObjectDrawingLayer* layer);
    bool editingShape() const { return m_editingShape; }
    ZVPuttyView* oldShape() const;
    // The page is in one of the drawing or point-editing modes (3 to 8).
    bool isDrawing() const;
    // Does what entering the present mode does: back to selecting (also the
    // hand and zoom tools), the drawing is turned into elements and the
    // surface hidden; a drawing mode shows the surface; a point-editing mode
    // hands the focused shape to it. Then the surface gets the mode's tool.
    void applyDrawingMode();
    // Lays the surface over the page with a fresh layer, after turning what
    // an earlier drawing left on it into elements.
    void showDrawingView();
    // Hands the focused shape element, if any, to the surface.
    void applyAndDeleteDrawing();
    // The element leaves the page and its outline goes onto the surface,
    // where the point tools edit it (point-selecting mode).
    void editShapeOf(ZVPuttyView* element);
    // Puts an outline on the surface for point editing, centred on `bounds`
    // (page coordinates), as a path object: any picture fill is left out.
    void addShapeToDrawing(std::unique_ptr<DFDrawable> shape, const QRectF& bounds, bool isPath);
    // Turns every object of the current layer into a shape element of the
    // page (or brings the edited element back with its new outline), then
    // empties the layer.
    void convertDrawingIntoShape();
    // Finishes an open drawing at once (saving and output need its
    // elements); nothing while the page is not drawing.
    void finishDrawing();

    // How many guide passes and wrap passes ran (benchmarks and tests count
    // them).
    int guidePassCount() const { return m_guidePassCount; }
    int wrapPassCount() const { return m_wrapPassCount; }
    // The window showing this page's document, if any.
    ql::CanvasHost* canvasHost() const;

    // Guides. Ruler guides are stored measured from the trim edge: vertical
    // lines (markers of the horizontal ruler) by x, horizontal ones by y.
    QList<ql::RulerMarker> horizontalMarkers() const;
    void setHorizontalMarkers(const QList<ql::RulerMarker>& markers);
    QList<ql::RulerMarker> verticalMarkers() const;
    void setVerticalMarkers(const QList<ql::RulerMarker>& markers);
    // The column (x) and row (y) guide positions, kept for snapping.
    void setHiddenMarkers(const QList<double>& columns, const QList<double>& rows);
    bool showMarginGuides() const { return m_showMarginGuides; }
    bool showColumnRowGuides() const { return m_showColumnRowGuides; }
    int colRowStyle() const { return m_colRowStyle; }
    int colNumber() const { return m_colNumber.toInt(); }
    double colGutter() const { return m_colGutter.toDouble(); }
    int rowNumber() const { return m_rowNumber.toInt(); }
    double rowGutter() const { return m_rowGutter.toDouble(); }

    // The overlay of crop marks, text links and guide lines (ZVCanvasViewGuides.cpp).
    ZVGuideView* guideView() const { return m_guideView; }
    // Smart guides: a pass over the active elements sets the overlay's lines
    // and the elements' stick points; clearing removes the lines only.
    void showGuides();
    void clearGuides();
    // A drag of elements gathers what its steps need from the rest of the
    // page once, at its start, and lets it go at its end (or when the
    // selection or the page's elements change in between).
    void beginElementDrag();
    void endElementDrag();
    void showTextLinks();
    // What elements tell their page.
    void puttyViewWasMoved(ZVPuttyView* element);
    void puttyViewWasResized(ZVPuttyView* element);
    void puttyViewWasRotated(ZVPuttyView* element);
    void puttyViewWasTouched(ZVPuttyView* element);
    // An element became selected or not: the focused element is the one
    // selected, or none when there are several or none.
    void followSelection();
    // An element's selection changed: the focused element and the
    // inspectors follow, and an element activated alone becomes the first
    // active one. Inside a selection batch they follow when it ends.
    void puttyViewActiveChanged(ZVPuttyView* element, bool active);
    void puttyViewWasUnTouched(ZVPuttyView* element);
    // Inside a move batch (MoveBatch.h) an element's undo step joins the
    // batch's one step.
    bool inMoveBatch() const { return m_moveFollowUp.depth > 0; }
    void joinMoveUndo(ZVPuttyView* element, std::function<void()> step);
    // The guides go a second after a nudge, an undo or a redo of a move;
    // once for all the elements of a batch.
    void clearGuidesLater();
    // The rulers' client: a click on a ruler makes a guide there (a page
    // point); marker changes are stored back into the page.
    void rulerViewHandleMouseDown(ql::RulerHost& ruler, QPointF pagePoint);
    bool rulerViewShouldRemoveMarker(ql::RulerHost& ruler, const ql::RulerMarker& marker);
    void rulerViewDidChangeMarkers(ql::RulerHost& ruler);

    // Element commands (ZVCanvasViewMenus.cpp). What the clipboard holds, as
    // paste's validation asks it.
    struct ClipboardContents {
        bool element = false;
        bool image = false;
        bool text = false;
    };
    // Whether the command named by its action ("groupActivePuttyViews:") can
    // act on the selection; any action the page does not know is enabled.
    bool validateMenuItem(const QString& action, const ClipboardContents& clipboard);
    // What the system clipboard holds now: our elements (under the bundle
    // identifier's type), a picture, text.
    static ClipboardContents clipboardContents();
    // The Move to Layer submenu: one item per layer, top layer first, tagged
    // by that position; the current layer's item is disabled.
    struct LayerMenuItem {
        QString title;
        int tag = 0;
        bool enabled = true;
    };
    QList<LayerMenuItem> moveToLayerMenuItems() const;
    // Moves the active elements onto the top of the layer at `tag` (top-first
    // position), which becomes current with nothing selected. No undo.
    void movePuttyViewToLayer(int tag);
    // Opens the image editor on the first active element.
    void cropImage();

    // Arranging the active elements (ZVCanvasViewArrange.cpp); each command
    // undoes as one step. Stacking moves each element within its own layer
    // and keeps the order of the moved elements among themselves.
    void moveActivePuttyViewsToFront();
    void moveActivePuttyViewsForward();
    void moveActivePuttyViewsToBack();
    void moveActivePuttyViewsBackward();
    // Without `increment`, `index` is a position in each element's layer
    // (kTopOfLayer: the top); with it, a number of places up (negative: down).
    static constexpr qsizetype kTopOfLayer = std::numeric_limits<qsizetype>::max();
    void movePuttyViewsToIndex(qsizetype index, bool increment);
    void undoReorderForView(ZVPuttyView* element, qsizetype index);
    void redoReorderForView(ZVPuttyView* element, qsizetype index);
    void lockActivePuttyViews();
    void unlockActivePuttyViews();
    void undoLockPuttyView(ZVPuttyView* element, bool locked);
    void redoLockPuttyView(ZVPuttyView* element, bool locked);
    // A new group of the active elements (members of groups among them
    // leave those); undo gives every member back the group it had, redo
    // brings the same members together again.
    void groupActivePuttyViews();
    // The selected elements (not their partners) leave their groups. Nothing
    // to undo, but the document counts as edited.
    void ungroupActivePuttyViews();
    struct GroupMembership {
        QPointer<ZVPuttyView> element;
        QPointer<ZVPuttyViewGroup> group;
    };
    void undoGroup(ZVPuttyViewGroup* group, const QList<GroupMembership>& former);
    void redoGroup(ZVPuttyViewGroup* group, const QList<GroupMembership>& former);
    // Fixed angles, absolute, set through each element's rotation with its undo.
    void rotate180();
    void rotate90Right();
    void rotate90Left();
    // Each active element turns its picture over (with its own undo); an
    // alert says which pictures could not be.
    void flipHorizontal();
    void flipVertical();
    // A page-sized picture of one layer's elements on white, drawn where they
    // lie by the shared painter, `scale` pixels a point. Pictures still being
    // converted show their placeholder.
    QImage imageRepresentationOfLayoutLayer(const ZVPuttyViewGroup* layer, double scale = 1.0) const;

    // Alignment (ZVCanvasViewAlign.cpp), each command one undo step; the
    // guides it shows go a second later. To the page: the content edges to
    // the margins, or the frame centred on the whole page.
    void alignViewLeft();
    void alignViewCenter();
    void alignViewRight();
    void alignViewTop();
    void alignViewMiddle();
    void alignViewBottom();
    // To the first active element; nothing without one. The reference is
    // that element while it is still selected, else null.
    const ZVPuttyView* alignmentReference() const;
    void alignEdgesLeft();
    void alignEdgesRight();
    void alignEdgesTop();
    void alignEdgesBottom();
    // Horizontal centres on one vertical line, vertical centres on one
    // horizontal line.
    void alignCenterVertical();
    void alignCenterHorizontal();
    // Spreads three or more elements along x (Vertical: between vertical
    // edges) or y; the outer two stay. Equal gaps between the contents, or
    // with `byCenter` the contents' centres evenly spaced.
    void distributeEdgesVerticalByCenter(bool byCenter);
    void distributeEdgesHorizontalByCenter(bool byCenter);

    // The clipboard (ZVCanvasViewClipboard.cpp). Copies of elements for the
    // clipboard, in the given order, each with a fresh identity and no layer
    // or text chain; with `includeContent` also the texts and pictures of
    // text and image elements, for other programs.
    ql::PasteboardContents copyOfPuttyViewArray(const QList<ZVPuttyView*>& elements, bool includeContent) const;
    void copy();
    void cut();
    // Adds the clipboard's elements to the current layer 15 points right and
    // down of what they copy; without elements a picture, else a text box.
    void paste();
    void paste(ql::PasteboardContents contents);
    // Copy, then paste: through the clipboard, replacing what it held.
    void duplicate();
    // Keeps the selection in the holding area.
    void copyPB();
    // A new image element of the picture's size, halved when it takes 90 %
    // of the page's width or height, centred, alone selected and focused;
    // null (nothing added) for an empty picture.
    ZVPuttyView* addImage(const ql::Image& image);
    // A deep copy of the page made through its archive; null when that fails.
    std::unique_ptr<ZVCanvasView> copyWithZone() const;

    bool pageWidthControlEnabled() const { return m_pageWidthControlEnabled; }
    bool pageHeightControlEnabled() const { return m_pageHeightControlEnabled; }
    bool pageOrientationControlEnabled() const { return m_pageOrientationControlEnabled; }

signals:
    void stackingChanged();

private:
    // Where an element stood on the page: its index in the element list, in
    // its layer and in its text chain (-1 where it was not listed).
    struct ElementPlace {
        qsizetype list = -1;
        qsizetype layer = -1;
        qsizetype chain = -1;
        int textFlow = -1; // the box's place in its chain's text flow
    };
    static const ql::fields::Record<ZVCanvasView>& archiveRecord();
    // Adding and deleting without recording undo (ZVCanvasViewElements.cpp).
    // setClippingRects after `element` came onto the page.
    void setClippingRectsForEntered(ZVPuttyView* element);
    void enterPuttyView(ZVPuttyView* element, const ElementPlace& place);
    ElementPlace takeOffPuttyView(ZVPuttyView* element);
    void registerElementStep(ZVPuttyView* element, void (ZVCanvasView::*step)(ZVPuttyView*));
    // The edited element comes back with the outline `drawn` (ZVCanvasViewDrawing.cpp).
    void returnEditedShape(ZVPuttyView* element, const DFDrawable& drawn);
    void setDropViewHidden(bool hidden);
    void redrawLayerThumbs() const;
    // Arranging (ZVCanvasViewArrange.cpp, ZVCanvasViewAlign.cpp).
    void rotateActivePuttyViews(double degrees);
    // The flip on each active element, and what could not be flipped said.
    void flipActivePuttyViews(bool horizontally);
    void finishFlips(const QList<QPointer<ZVPuttyView>>& elements, bool horizontally, const ql::MirroredFiles& ready);
    void setActivePuttyViewsLocked(bool locked);
    void moveInLayer(ZVPuttyView* element, qsizetype index);
    // Moves the element to `index` in its layer, recording `inverse` with
    // the place it leaves.
    void reorderStep(ZVPuttyView* element, qsizetype index, void (ZVCanvasView::*inverse)(ZVPuttyView*, qsizetype));
    // Sets each active element's frame to what `place` makes of it, with
    // undo; unchanged frames record nothing.
    void alignActivePuttyViews(const std::function<QRectF(const QRectF&)>& place, const ZVPuttyView* skip = nullptr);
    void distributeActivePuttyViews(bool alongX, bool byCenter);
    void guidesChanged();
    // What a moved or resized element asks of the rest of the page.
    void followChangedElement();
    void initialize();
    // Brings geometry read from a file into the ranges the settings allow;
    // a page without a size takes the default one.
    void limitGeometryAsRead(int defaultPageSize, int defaultOrientation);
    void setTemplateView(ZVCanvasView* page);
    void onObservedChange(const QString& keyPath);
    // The inspector's width and height fields are for custom sizes only,
    // its orientation for presets.
    void enableSizeControls();
    void reanchorPuttyViews();
    // The overlay's crop-mark and margin settings from the template view.
    void updateGuideViewSettings();
    void ownLayers();
    bool isLayerOfAnotherPage(const ZVPuttyViewGroup* layer) const;

    QRectF m_frame;
    QString m_uuid;
    QString m_masterPageUUID;
    QVariant m_drawingMode;
    QList<ZVPuttyView*> m_puttyViews;
    // The same elements, so that asking whether one is here does not walk the page.
    QSet<const ZVPuttyView*> m_puttyViewSet;
    // Set while the page reads its elements: the wrap rectangles are worked
    // out once at the end rather than after each element.
    bool m_readingPuttyViews = false;
    // Whether an element wrapped when the rectangles were last worked out: a
    // page where none does takes a new plain element without going over
    // all the others again.
    bool m_anyWraps = false;
    QList<ZVPuttyView*> m_deletedPuttyViews;
    QHash<const ZVPuttyView*, ElementPlace> m_deletedPlaces;
    mutable QList<ZVPuttyView*> m_stacked;
    mutable bool m_stackIsStale = true;
    ZVBackgroundView* m_backgroundView = nullptr;
    bool m_clipToMargins = false;
    double m_pageWidth = 0.0;
    double m_pageHeight = 0.0;
    double m_topMargin = 0.0;
    double m_bottomMargin = 0.0;
    double m_leftMargin = 0.0;
    double m_rightMargin = 0.0;
    int m_pageSize = 1;
    int m_pageOrientation = 0;
    QVariantList m_horizontalMarkers;
    QVariantList m_verticalMarkers;
    bool m_showMarginGuides = false;
    double m_bleedMargin = 9.0;
    bool m_fullBleed = false;
    bool m_showBleedCropMarks = true;
    ZVPuttyViewGroupList m_layoutLayers;
    bool m_showColumnRowGuides = false;
    QVariant m_rowNumber;
    QVariant m_rowGutter;
    QVariant m_colNumber;
    QVariant m_colGutter;
    int m_colRowStyle = 0;

    QPointer<ZVCanvasView> m_templateView;
    QPointer<ZVCanvasView> m_masterPage;
    PageDocument* m_document = nullptr;
    QPointer<QObject> m_documentObject;
    QPointer<ZVPuttyViewGroup> m_currentLayoutLayer;
    bool m_is3DTextEligible = true;
    bool m_editMode = false;
    double m_originX = 0.0;
    double m_originY = 0.0;
    QVariantList m_hiddenHorizontalMarkers;
    QVariantList m_hiddenVerticalMarkers;
    bool m_pageWidthControlEnabled = false;
    bool m_pageHeightControlEnabled = false;
    bool m_pageOrientationControlEnabled = true;
    bool m_isObserving = false;
    bool m_switchingTemplate = false;
    ZVGuideView* m_guideView = nullptr;
    ZVDrawingView* m_drawingView = nullptr;
    QPointer<ZVObjectDrawingLayer> m_mainlayer;
    bool m_editingShape = false;
    QPointer<ZVPuttyView> m_oldShape;
    ElementPlace m_oldShapePlace;

    // Selection state.
    QPointer<ZVPuttyView> m_focusedPuttyView;
    bool m_focused = false;
    bool m_focusedImage = false;
    bool m_focusedText = false;
    bool m_focusedVector = false;
    bool m_oneOrModeActive = false;
    bool m_twoOrModeActive = false;
    bool m_threeOrModeActive = false;
    bool m_shiftKeyPressed = false;
    bool m_optionKeyPressed = false;
    bool m_isMoving = false;
    int m_guidePassCount = 0;
    int m_wrapPassCount = 0;
    std::shared_ptr<const ql::DragContext> m_drag;
    QPointer<ZVPuttyView> m_firstActiveView;
    std::unique_ptr<ql::Gesture> m_gesture;
    // The members on this page of each group the elements belong to, each
    // group once.
    QList<QList<ZVPuttyView*>> groupMembersOf(const QList<ZVPuttyView*>& elements) const;
    // What the selection changes of an open batch leave to follow.
    friend class ql::SelectionBatch;
    void beginSelectionBatch();
    void endSelectionBatch();
    struct SelectionFollowUp {
        int depth = 0;
        bool changed = false;
        bool activated = false;
        // Elements selected now, counted at the batch's first change and
        // kept since: the changes that leave one element selected are known
        // without walking the page again.
        qsizetype selected = -1;
        bool showInspector = false;
        QPointer<ZVPuttyView> firstActive;
    };
    SelectionFollowUp m_selectionFollowUp;
    // The active elements while a hold is open, once worked out.
    friend class ql::ActiveViewsHold;
    void holdActiveViews() { ++m_activeViewsHold; }
    void releaseActiveViews();
    int m_activeViewsHold = 0;
    std::optional<QList<ZVPuttyView*>> m_heldActiveViews;
    // What the element moves of an open batch leave to follow.
    friend class ql::MoveBatch;
    void beginMoveBatch();
    void endMoveBatch();
    void registerMoveUndo(QList<QPair<QPointer<ZVPuttyView>, std::function<void()>>> steps);
    struct MoveFollowUp {
        int depth = 0;
        // The guides as the last element left them: shown anew or cleared.
        enum class Guides { Unchanged, Shown, Cleared } guides = Guides::Unchanged;
        bool moved = false;
        bool rotated = false;
        bool clearGuidesLater = false;
        // The last element touched, and the last that is no text box.
        QPointer<ZVPuttyView> touched;
        QPointer<ZVPuttyView> firstResponder;
        QList<QPair<QPointer<ZVPuttyView>, std::function<void()>>> undo;
    };
    MoveFollowUp m_moveFollowUp;
    QPointF m_selectionViewOrigin;
    QRectF m_selectionViewFrame;
    bool m_selectionViewHidden = true;
};
