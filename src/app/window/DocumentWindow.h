// The document window: content browsers on the left, the page canvas with
// its rulers and page-navigation strip in the middle, inspectors on the
// right, an icon toolbar, the floating panels, and menus that validate
// themselves by their action's name. It shows one document; the document
// controller creates and closes it. The set-up follows the document's
// window set-up step by step; the zoom, the panes, the tabs, the pages
// popover and menu validation live in DocumentWindowZoom.cpp,
// DocumentWindowPanes.cpp, DocumentWindowPages.cpp and WindowMenus.
#pragma once

#include "app/export/ProgressPanel.h"
#include "canvas/CanvasHost.h"
#include "content/text/PatternWaits.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QScrollArea;
class QToolButton;
class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class ComposeButton;
class Document;
class ExportSheet;
class SharingService;
struct OutputContext;
class DocumentController;
class LayoutConstraint;
class SegmentedControl;
class TBTabBar;
class WindowMenus;
class ZVScrollView;
class ZVImageContentViewController;
class ZVShapeContentViewController;
class ZVClipArtContentViewController;
class ZVCodeContentViewController;
class ZVTextContentViewController;
class ZVPageSettingsController;
class ZVLayerSettingsController;
class ZVImageSettingsController;
class ZVTextSettingsController;
class ZV3DTextSettingsController;
class ZVShapeSettingsController;
class ZVEmptyViewController;
class ZVLayoutLayerViewController;
class ZVImageEditorViewController;
class ZVPasteboardViewController;
class ViewController;

// A floating panel of the window (layers, holding area, image editing,
// loading): a tool window that tells its window when it closes.
class WindowPanel : public QWidget {
    Q_OBJECT
public:
    WindowPanel(const QString& name, const QString& title, QWidget* window);
    // The panel's content view.
    QWidget* contentView() const { return m_contentView; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* m_contentView;
};

class DocumentWindow : public QMainWindow, public CanvasHost, public ProgressPanel {
    Q_OBJECT
public:
    // The pane widths while shown.
    static constexpr double kLeftPaneWidth = 216;
    static constexpr double kRightPaneWidth = 265;

    // The views the set-up works with, by the names the window's layout
    // gives them.
    struct Outlets {
        QPointer<QWidget> splitView, leftPane, centerPane, rightPane, scrollContainerView;
        QPointer<ZVScrollView> scrollView;
        QPointer<SegmentedControl> drawingTools;
        QPointer<TBTabBar> contentTabs, inspectorTabs;
        QPointer<QWidget> contentScroll;
        QPointer<QScrollArea> inspectorView;
        QPointer<QWidget> pagesView, pageControls;
        QPointer<QLabel> pageLabel;
        QPointer<QToolButton> previousPage, nextPage, pageExplorer;
        QPointer<QAbstractButton> applyButton;
        QPointer<QToolButton> shapeButton, imageButton, clipArtButton, qrCodeButton, zoomInButton, zoomOutButton,
            previewButton, exportButton, printButton;
        QPointer<ComposeButton> addTextButton;
        QPointer<QComboBox> zoomField;
        QPointer<WindowPanel> loadingPanel, downloadingPanel, layoutLayerPanel, pasteboardPanel, editImagePanel,
            exportPanel, saveTemplatePanel;
        QPointer<QWidget> exportBottomContent;
        QPointer<QLineEdit> saveTemplateName;
        QPointer<QProgressBar> loadingIndicator, downloadingIndicator;
        QPointer<LayoutConstraint> leftPaneWidth, rightPaneWidth;
    };

    // The pane controllers, made by the set-up.
    struct Controllers {
        ZVImageContentViewController* imageContentVC = nullptr;
        ZVShapeContentViewController* shapeContentVC = nullptr;
        ZVClipArtContentViewController* clipArtContentVC = nullptr;
        ZVCodeContentViewController* codeContentVC = nullptr;
        ZVTextContentViewController* textContentVC = nullptr;
        ZVPageSettingsController* pageSettingsController = nullptr;
        ZVLayerSettingsController* layerSettingsController = nullptr;
        ZVImageSettingsController* imageSettingsController = nullptr;
        ZVTextSettingsController* textSettingsController = nullptr;
        ZV3DTextSettingsController* threeDSettingsController = nullptr;
        ZVShapeSettingsController* shapeSettingsController = nullptr;
        ZVEmptyViewController* emptyViewController = nullptr;
        ZVLayoutLayerViewController* layoutLayerViewController = nullptr;
        ZVImageEditorViewController* imageEditorViewController = nullptr;
        ZVPasteboardViewController* pasteboardViewController = nullptr;
        // The browser and inspector shown.
        QPointer<ViewController> contentViewController;
        QPointer<ViewController> inspectorViewController;
    };

    DocumentWindow(Document& document, DocumentController& controller, bool isNew, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    Document* document() const;
    DocumentController& controller() const { return m_controller; }
    const Outlets& outlets() const { return m_outlets; }
    const Controllers& controllers() const { return m_controllers; }
    WindowMenus& menus() const { return *m_menus; }
    ZVScrollView* scrollView() const;

    // The window's frame on a screen's visible area: 90 % of its width, its
    // full height, centred within it.
    static QRect initialFrame(const QRect& visibleFrame);
    // The key paths the window watches on its document.
    const QStringList& observingKeyPaths() const { return m_observingKeyPaths; }

    // Zoom.
    void zoomIn();
    void zoomOut();
    // 0 "100%", 1 "Fit Width", 2 "Fit Height", 3 "Fit Page"; others nothing.
    void setZoom(int tag);
    // A typed zoom as the platform reads a number: the leading number in the
    // C locale, else 0.
    static double readZoomText(const QString& text);

    // Panes, panels and tabs.
    void toggleLeftPanel();
    void toggleRightPanel();
    void toggleLayoutLayersPanel();
    void togglePasteboardVisible();
    void goFullScreen();
    // Content tab: 0 image, 1 text, 2 shape, 3 clip art, 4 code browser.
    void changeContentView(int index);
    // Inspector tab: 0 page, 1 element, 2 the content of the one active element.
    void changeInspectorView(int index) override;
    void updateInspectorView() override;
    void showSelectionInspector() override;
    // The browser views, by content tab.
    QWidget* contentView(int index) const;

    // Output (DocumentWindowOutput.cpp): the export sheet and its steps,
    // printing, the preview, sharing and saving as a template.
    void exportDocument();
    void closeExportPanel();
    void finishExport();
    void printDocument();
    void preview();
    // The share item's submenu, made anew from the sharing services.
    void rebuildShareMenu(QAction* shareItem);
    void shareFromService(SharingService* service);
    void saveAsTemplate();
    void closeSaveTemplatePanel();
    void saveTemplateNext();
    ExportSheet* exportSheet() const { return m_exportSheet; }
    // What the window's output commands reach: the controller's prompter,
    // workspace and defaults, and the window's progress panel.
    OutputContext outputContext();
    // ProgressPanel: the downloading panel, titled by the output under way.
    void showProgress(const QString& title) override;
    void closeProgress() override;

    // CanvasHost
    void setNeedsDisplay() override;
    void makePageFirstResponder(bool page) override;
    double magnification() const override;
    void editImage(ZVPuttyView* element) override;
    RulerHost* horizontalRuler() override;
    RulerHost* verticalRuler() override;
    void setRulersVisible(bool visible) override;
    void setMagnification(double magnification, QPointF centeredAtPagePoint) override;
    void magnifyToFitRect(const QRectF& pageRect) override;
    QRectF visibleRect() const override;
    void scrollToPoint(QPointF pageOrigin) override;
    void setCanvasCursor(const CanvasCursor& cursor) override;
    void setCursorRectsEnabled(bool enabled) override;
    void moveRulerline(bool horizontal, double from, double to) override;
    void makeElementFirstResponder(ZVPuttyView* element) override;
    void setDropViewHidden(bool hidden) override;
    void popUpContextMenu(const CanvasMenu& menu, QPointF pagePoint) override;
    void addToPasteboard() override;
    void setDownloading(bool downloading) override;
    void showAlert(const QString& messageText, const QString& informativeText) override;
    // The progress panel (the loading panel, titled) shows how far the work
    // has come, and takes the window's input while it runs.
    void runLongWork(const QString& title, const LongWork& work, const std::function<void()>& done) override;
    // Whether long work runs (tests and tools wait for it).
    bool runsLongWork() const { return m_longWorks > 0; }

    // Re-points the canvas, rulers, layers panel and background picker at the
    // document's current page, and redraws it.
    void showCurrentPage();
    // The pages popover at the sender's right edge; a new one replaces the
    // one that is open. The alternate opens it at the strip's page button.
    void openPages(QWidget* sender);
    void openPagesAlternate();
    // The canvas's ground while content pages are shown; master pages are
    // edited on light blue.
    static QColor masterPagesSurroundColor();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's views, as its interface file would hold them.
    void buildViews();
    void buildToolbar();
    void buildPanels();
    // The set-up, in its order.
    void windowControllerDidLoadNib(bool isNew);
    void settlePanes();
    void setUpConstraints();
    void setUpToolbarIcons();
    void setUpContentBrowsers();
    // The toolbar's buttons, the drawing tools and the browsers' fields act
    // through commands by selector, each enabled only while its command is
    // there (DocumentWindowCommands.cpp).
    void setUpCommandControls();
    void setUpContentTabs();
    void setUpInspectors();
    void setUpCanvas();
    void setUpPanels();
    // The export and template sheets and the progress panel (DocumentWindowOutput.cpp).
    void buildOutputPanels();
    void setUpOutput();
    void setUpAddTextButton();
    void setUpObservation();
    void setUpRulerUnits();
    void setUpPageStrip();
    // The page button, the apply-to-all button and the ground that tells
    // master pages (DocumentWindowPages.cpp).
    void setUpPages();
    void updateSurroundColor();
    // Reactions to the watched key paths.
    void observeValueForKeyPath(const QString& keyPath);
    void applyScrollMag();
    // The magnification as the zoom field shows it: a whole percentage.
    QString currentZoomText() const;
    // Puts the current magnification back into the zoom text and field.
    void showCurrentZoom();
    void updateDrawingTools();
    void closePanels();
    void togglePanel(WindowPanel* panel, const QString& flag);
    void updateTitle();

    QPointer<Document> m_document;
    DocumentController& m_controller;
    Outlets m_outlets;
    Controllers m_controllers;
    std::unique_ptr<WindowMenus> m_menus;
    ExportSheet* m_exportSheet = nullptr;
    QStringList m_observingKeyPaths;
    QColor m_contentPagesSurround;
    bool m_closing = false;
    // Dropped links being fetched; the downloading panel shows while any is.
    int m_downloads = 0;
    // The output under way, which keeps the downloading panel shown too.
    QString m_progressTitle;
    // Long work under way, which keeps the loading panel shown and modal.
    int m_longWorks = 0;
    // Hyphenation patterns still loading never hold the window up.
    text::NoWaitForPatterns m_noWaitForPatterns;
};

} // namespace ql
