#include "app/window/DocumentWindow.h"

#include "app/AppDelegate.h"
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "panels/ZVImageEditorViewController.h"
#include "panels/ZVLayoutLayerViewController.h"
#include "panels/ZVContentContainerView.h"
#include "panels/ZVPanel.h"
#include "panels/ZVPasteboardViewController.h"
#include "panels/templates/ZVTemplateWindowController.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/browsers/ZVImageContentViewController.h"
#include "panels/browsers/ZVShapeContentViewController.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/ComposeButton.h"
#include "panels/controls/InspectorScrollArea.h"
#include "panels/controls/ScreenPlacement.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/controls/TBTabBar.h"
#include "panels/controls/TBTabBarItem.h"
#include "panels/controls/ToolWindow.h"
#include "panels/inspectors/ZV3DTextSettingsController.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVEmptyViewController.h"
#include "panels/inspectors/ZVImageSettingsController.h"
#include "panels/inspectors/ZVLayerSettingsController.h"
#include "panels/inspectors/ZVPageSettingsController.h"
#include "panels/inspectors/ZVShapeSettingsController.h"
#include "panels/inspectors/ZVTextSettingsController.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"
#include "util/icons/ICFIconFactory.h"
#include "util/icons/NamedImages.h"
#include "util/layout/PinLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {

namespace {

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& toolTip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    return button;
}

QWidget* namedWidget(QWidget* parent, const QString& name)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

// A bar's look: white 0.96 with a grey edge.
void styleBar(QWidget* bar)
{
    bar->setAttribute(Qt::WA_StyledBackground, true);
    bar->setStyleSheet(QStringLiteral("#%1 { background: rgb(245, 245, 245); border: 1px solid grey; }")
                           .arg(bar->objectName()));
}

QImage iconFontImage(ICFIconFactory& factory, const QList<QColor>& colors, const QColor& stroke, double width,
                     char32_t codePoint)
{
    factory.setColors(colors);
    factory.setStrokeColor(stroke);
    factory.setStrokeWidth(width);
    return factory.createImageForIcon(codePoint);
}

} // namespace

// Panels ---------------------------------------------------------------------

WindowPanel::WindowPanel(const QString& name, const QString& title, QWidget* window)
    : QWidget(window, Qt::Tool), m_contentView(new QWidget(this))
{
    setObjectName(name);
    setWindowTitle(title);
    m_contentView->setObjectName(name + QStringLiteral("View"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_contentView);
}

void WindowPanel::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

// The window -----------------------------------------------------------------

DocumentWindow::DocumentWindow(Document& document, DocumentController& controller, bool isNew, QWidget* parent)
    : QMainWindow(parent), m_document(&document), m_controller(controller)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("documentWindow"));
    document.addWindow(this);
    buildViews();
    buildToolbar();
    buildPanels();
    m_menus = std::make_unique<WindowMenus>(*this);
    windowControllerDidLoadNib(isNew);
    connect(&document, &Document::documentStateChanged, this, &DocumentWindow::updateTitle);
    connect(document.undoManager(), &UndoManager::changed, m_menus.get(), &WindowMenus::validateMenus);
    installEventFilter(this);
    updateTitle();
}

DocumentWindow::~DocumentWindow()
{
    // The menus watch the document while the window's children go.
    if (m_document) {
        m_document->removeObservers(this);
        m_document->removeWindow(this);
    }
}

Document* DocumentWindow::document() const
{
    return m_document.data();
}

ZVScrollView* DocumentWindow::scrollView() const
{
    return m_outlets.scrollView.data();
}

QRect DocumentWindow::initialFrame(const QRect& visibleFrame)
{
    const int width = int(visibleFrame.width() * 0.9);
    // Offset by the visible frame's origin so that the window stays clear of
    // panels at the screen's top or left edge and on the right screen.
    return QRect(visibleFrame.x() + (visibleFrame.width() - width) / 2, visibleFrame.y(), width, visibleFrame.height());
}

void DocumentWindow::buildViews()
{
    Outlets& o = m_outlets;
    auto* content = namedWidget(this, QStringLiteral("contentView"));
    setCentralWidget(content);
    o.splitView = namedWidget(content, QStringLiteral("splitView"));
    o.leftPane = namedWidget(o.splitView, QStringLiteral("leftPane"));
    o.centerPane = namedWidget(o.splitView, QStringLiteral("centerPane"));
    o.rightPane = namedWidget(o.splitView, QStringLiteral("rightPane"));
    for (QWidget* pane : {o.leftPane.data(), o.rightPane.data()}) {
        pane->setAttribute(Qt::WA_StyledBackground, true);
        pane->setStyleSheet(QStringLiteral("#%1 { background: rgb(236, 236, 236); }").arg(pane->objectName()));
    }
    // The three panes side by side: the side panes have widths of their own
    // (set up below), the centre takes the rest.
    for (QWidget* pane : {o.leftPane.data(), o.centerPane.data(), o.rightPane.data()}) {
        autoPinEdgeToSuperviewEdge(pane, PinEdge::Top);
        autoPinEdgeToSuperviewEdge(pane, PinEdge::Bottom);
    }
    autoPinEdgeToSuperviewEdge(o.leftPane, PinEdge::Left);
    autoPinEdgeToSuperviewEdge(o.rightPane, PinEdge::Right);
    autoPinEdge(o.centerPane, PinEdge::Left, PinEdge::Right, o.leftPane);
    autoPinEdge(o.centerPane, PinEdge::Right, PinEdge::Left, o.rightPane);

    o.scrollContainerView = namedWidget(o.centerPane, QStringLiteral("scrollContainerView"));
    autoPinEdgesToSuperviewEdgesWithInsets(o.scrollContainerView, QMarginsF());
    o.scrollView = new ZVScrollView(o.scrollContainerView);

    o.pagesView = namedWidget(o.centerPane, QStringLiteral("pagesView"));
    o.pageControls = namedWidget(o.pagesView, QStringLiteral("pageControls"));
    auto* strip = new QHBoxLayout(o.pageControls);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(4);
    o.previousPage = toolButton(o.pageControls, QStringLiteral("previousPage"), tr("Previous Page"));
    o.previousPage->setArrowType(Qt::LeftArrow);
    o.pageLabel = new QLabel(o.pageControls);
    o.pageLabel->setObjectName(QStringLiteral("pageLabel"));
    o.pageLabel->setAlignment(Qt::AlignCenter);
    o.nextPage = toolButton(o.pageControls, QStringLiteral("nextPage"), tr("Next Page"));
    o.nextPage->setArrowType(Qt::RightArrow);
    for (QToolButton* arrow : {o.previousPage.data(), o.nextPage.data()})
        arrow->setIconSize(QSize(12, 12));
    strip->addWidget(o.previousPage);
    strip->addWidget(o.pageLabel, 1);
    strip->addWidget(o.nextPage);
    o.pageExplorer = toolButton(o.pagesView, QStringLiteral("pageExplorer"), tr("Pages"));
    o.pageExplorer->setText(QStringLiteral("⋯"));

    o.contentTabs = new TBTabBar(o.leftPane);
    o.contentTabs->setObjectName(QStringLiteral("contentTabs"));
    o.contentScroll = new ZVContentContainerView(o.leftPane);
    o.contentScroll->setObjectName(QStringLiteral("contentScroll"));
    o.inspectorTabs = new TBTabBar(o.rightPane);
    o.inspectorTabs->setObjectName(QStringLiteral("inspectorTabs"));
    o.inspectorView = new InspectorScrollArea(o.rightPane);
    o.inspectorView->setObjectName(QStringLiteral("inspectorView"));
    o.inspectorView->setFrameShape(QFrame::NoFrame);
}

void DocumentWindow::buildToolbar()
{
    Outlets& o = m_outlets;
    QToolBar* bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    o.shapeButton = toolButton(bar, QStringLiteral("shapeButton"), tr("Shapes"));
    o.imageButton = toolButton(bar, QStringLiteral("imageButton"), tr("Image"));
    o.clipArtButton = toolButton(bar, QStringLiteral("clipArtButton"), tr("Clip Art"));
    o.qrCodeButton = toolButton(bar, QStringLiteral("qrCodeButton"), tr("QR Code or Barcode"));
    o.addTextButton = new ComposeButton(bar);
    o.addTextButton->setObjectName(QStringLiteral("addTextButton"));
    o.addTextButton->setToolTip(tr("Add Text"));
    o.addTextButton->setAutoRaise(true);
    o.addTextButton->setIconSize(QSize(24, 24));
    for (QToolButton* button : {o.shapeButton.data(), o.imageButton.data(), o.clipArtButton.data(),
                                o.qrCodeButton.data(), static_cast<QToolButton*>(o.addTextButton.data())})
        bar->addWidget(button);
    bar->addSeparator();
    o.drawingTools = new SegmentedControl(bar);
    o.drawingTools->setObjectName(QStringLiteral("drawingTools"));
    bar->addWidget(o.drawingTools);
    bar->addSeparator();
    o.zoomOutButton = toolButton(bar, QStringLiteral("zoomOutButton"), tr("Zoom Out"));
    o.zoomInButton = toolButton(bar, QStringLiteral("zoomInButton"), tr("Zoom In"));
    o.zoomField = new QComboBox(bar);
    o.zoomField->setObjectName(QStringLiteral("zoomField"));
    o.zoomField->setEditable(true);
    o.zoomField->setInsertPolicy(QComboBox::NoInsert);
    o.zoomField->addItems({tr("Fit Width"), tr("Fit Height"), tr("Fit Page"), QStringLiteral("50%"),
                           QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("150%"),
                           QStringLiteral("200%"), QStringLiteral("400%")});
    o.zoomField->setMinimumContentsLength(8);
    bar->addWidget(o.zoomOutButton);
    bar->addWidget(o.zoomField);
    bar->addWidget(o.zoomInButton);
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    o.previewButton = toolButton(bar, QStringLiteral("previewButton"), tr("Preview"));
    o.exportButton = toolButton(bar, QStringLiteral("exportButton"), tr("Export"));
    o.printButton = toolButton(bar, QStringLiteral("printButton"), tr("Print"));
    for (QToolButton* button : {o.previewButton.data(), o.exportButton.data(), o.printButton.data()})
        bar->addWidget(button);
}

void DocumentWindow::buildPanels()
{
    Outlets& o = m_outlets;
    // Small panels with a spinning indicator; like the other panels without
    // text fields, they leave the keyboard to the document.
    const auto progressPanel = [this](const char* name, QPointer<WindowPanel>& panel, const char* indicatorName,
                                      QPointer<QProgressBar>& indicator) {
        panel = new ZVPanel(QString::fromLatin1(name), QString(), this);
        indicator = new QProgressBar(panel->contentView());
        indicator->setObjectName(QString::fromLatin1(indicatorName));
        indicator->setRange(0, 0);
        auto* layout = new QVBoxLayout(panel->contentView());
        layout->addWidget(indicator);
        panel->resize(240, 60);
    };
    progressPanel("loadingPanel", o.loadingPanel, "loadingIndicator", o.loadingIndicator);
    progressPanel("downloadingPanel", o.downloadingPanel, "downloadingIndicator", o.downloadingIndicator);
    o.layoutLayerPanel = new WindowPanel(QStringLiteral("layoutLayerPanel"), tr("Layers"), this);
    o.layoutLayerPanel->resize(240, 320);
    o.pasteboardPanel = new ZVPanel(QStringLiteral("pasteboardPanel"), tr("Pasteboard"), this);
    o.pasteboardPanel->resize(240, 420);
    o.editImagePanel = new ZVPanel(QStringLiteral("editImagePanel"), tr("Edit Image"), this);
    o.editImagePanel->resize(420, 420);
    o.exportPanel = new WindowPanel(QStringLiteral("exportPanel"), tr("Export"), this);
    o.exportBottomContent = namedWidget(o.exportPanel->contentView(), QStringLiteral("exportBottomContent"));
    buildOutputPanels();
}

// The set-up -----------------------------------------------------------------

void DocumentWindow::windowControllerDidLoadNib(bool isNew)
{
    Document& document = *m_document;
    Outlets& o = m_outlets;
    // 1. Model.
    if (isNew)
        document.setFormatAsBooklet(false);
    // 2. The loading panel covers the set-up.
    o.loadingPanel->setWindowTitle(tr("Loading..."));
    o.loadingPanel->show();
    // 3. Point editing waits for a shape.
    o.drawingTools->setSegments(
        [] {
            ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
            QList<QImage> icons;
            for (char32_t code : {0xF245, 0xF256, 0xF002, 0xF1E0, 0xF1FC, 0xF07E, 0xF05B, 0xF067, 0xF068})
                icons.append(iconFontImage(factory, {QColor(Qt::darkGray)}, Qt::black, 0, code));
            return icons;
        }(),
        {tr("Select"), tr("Hand"), tr("Zoom"), tr("Path"), tr("Freehand"), tr("Line"), tr("Select Points"),
         tr("Insert Point"), tr("Delete Point")});
    for (int segment : {6, 7, 8})
        o.drawingTools->setEnabled(false, segment);
    // 4. The window stays for its document. 5. The export rules.
    document.setExportControls();
    // 6. Pins.
    setUpConstraints();
    // 7. The window frame.
    // The frame, title bar included, fills the screen's height.
    const QRect available = ScreenPlacement::availableGeometryOf(nullptr);
    if (!available.isEmpty())
        ScreenPlacement::setFrameGeometry(*this, initialFrame(available), available);
    settlePanes();
    // 9. Toolbar icons.
    setUpToolbarIcons();
    // 10. and 11. Content browsers and their tabs.
    setUpContentBrowsers();
    setUpCommandControls();
    setUpContentTabs();
    // 12. Inspectors.
    setUpInspectors();
    // 13. The canvas.
    setUpCanvas();
    // 14. Panels.
    setUpPanels();
    setUpOutput();
    // 15. and 16. The first pages; the first one current.
    document.setUpForWindow(isNew);
    setUpPageStrip();
    setUpPages();
    showCurrentPage();
    connect(&document, &Document::currentPageChanged, this, &DocumentWindow::showCurrentPage);
    // 17. The page inspector's picker shows the current page's background.
    if (ZVCanvasView* page = document.currentPage())
        m_controllers.pageSettingsController->backgroundPicker()->setRepresentedObject(page->backgroundView());
    // 18. The add-text button.
    setUpAddTextButton();
    // 20. and 21. Observation, then the zoom that fits the page.
    setUpObservation();
    settlePanes();
    document.setValueForKey(u"scrollMag", tr("Fit Page"));
    // 22. Ruler units.
    setUpRulerUnits();
    // 24. To the front.
    show();
    raise();
    activateWindow();
    // The layers panel comes up once its window is mapped: a tool window
    // mapped before its owner would end up behind it.
    if (document.layoutLayersPaneVisible())
        ToolWindow::present(*o.layoutLayerPanel, this);
    // 25. The loading panel and the template chooser go once the window is
    // drawn; the introduction video comes up unless the user turned it off
    // or closed it earlier in this run.
    after(10, this, [this] {
        m_outlets.loadingPanel->close();
        AppDelegate* delegate = AppDelegate::shared();
        if (!delegate)
            return;
        if (delegate->templateWindowController())
            delegate->templateWindowController()->close();
        ZVVideoWindowController* video = delegate->videoWindowController();
        if (!video || video->closedVideo() || m_controller.userDefaults().boolForKey(QStringLiteral("hideVideo")))
            return;
        video->showWindow();
        video->window()->raise();
        video->window()->activateWindow();
    });
    layoutPinsNow(this);
}

void DocumentWindow::settlePanes()
{
    // Sizes the panes for the window's size now, shown or not, so that
    // fitting the page measures the centre pane as it will be.
    if (layout())
        layout()->activate();
    layoutPinsNow(this);
}

void DocumentWindow::setUpConstraints()
{
    Outlets& o = m_outlets;
    autoPinEdgeToSuperviewEdge(o.exportBottomContent, PinEdge::Bottom, 0);
    autoPinEdgeToSuperviewEdge(o.exportBottomContent, PinEdge::Left, 0);
    autoPinEdgeToSuperviewEdge(o.exportBottomContent, PinEdge::Right, 0);
    autoSetDimension(o.exportBottomContent, PinDimension::Height, 136);
    o.rightPaneWidth = autoSetDimension(o.rightPane, PinDimension::Width, kRightPaneWidth);
    o.leftPaneWidth = autoSetDimension(o.leftPane, PinDimension::Width, kLeftPaneWidth);
    autoPinEdgesToSuperviewEdgesWithInsets(o.splitView, QMarginsF());
    autoPinEdgesToSuperviewEdgesWithInsets(o.scrollView, QMarginsF(0, 21, 0, 0));
    // The three bars hang one point over their pane's edges.
    const auto bar = [](QWidget* view, QWidget* pane) {
        autoPinEdge(view, PinEdge::Top, PinEdge::Top, pane, -1);
        autoPinEdge(view, PinEdge::Left, PinEdge::Left, pane, -1);
        autoPinEdge(view, PinEdge::Right, PinEdge::Right, pane, 1);
        autoSetDimension(view, PinDimension::Height, 22);
        styleBar(view);
    };
    bar(o.inspectorTabs, o.rightPane);
    autoPinEdgesToSuperviewEdgesWithInsets(o.inspectorView, QMarginsF(0, 21, 0, 0));
    bar(o.contentTabs, o.leftPane);
    bar(o.pagesView, o.centerPane);
    o.contentScroll->hide();
    autoPinEdge(o.pageExplorer, PinEdge::Right, PinEdge::Right, o.pagesView, -6);
    autoPinEdge(o.pageExplorer, PinEdge::Top, PinEdge::Top, o.pagesView, 2);
    autoSetDimension(o.pageExplorer, PinDimension::Width, 40);
    autoSetDimension(o.pageExplorer, PinDimension::Height, 18);
    autoSetDimension(o.pageControls, PinDimension::Height, 21);
    autoSetDimension(o.pageControls, PinDimension::Width, 163);
    autoAlignAxis(o.pageControls, PinAxis::Vertical, o.pagesView);
    autoAlignAxis(o.pageControls, PinAxis::Horizontal, o.pagesView);
}

void DocumentWindow::setUpToolbarIcons()
{
    Outlets& o = m_outlets;
    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    const QColor darkGray(Qt::darkGray);
    const QColor gray(Qt::gray);
    const struct {
        QToolButton* button;
        QList<QColor> colors;
        QColor stroke;
        double width;
        char32_t code;
    } icons[] = {
        {o.shapeButton, {QColor("#5fe382"), QColor("#49cd75")}, Qt::black, 1.0, 0xF005},
        {o.imageButton, {QColor("#1D62F0"), QColor("#1D62F0")}, Qt::black, 0.0, 0xF03E},
        {o.clipArtButton, {darkGray, gray}, Qt::black, 0.0, 0xF0C6},
        {o.qrCodeButton, {QColor("#1D62F0")}, Qt::black, 0.0, 0xF029},
        {o.zoomInButton, {darkGray, gray}, Qt::black, 0.0, 0xF00E},
        {o.zoomOutButton, {darkGray, gray}, Qt::black, 0.0, 0xF010},
        {o.previewButton, {darkGray, gray}, Qt::black, 0.0, 0xF06E},
        {o.exportButton, {QColor("#007AFF")}, Qt::black, 1.0, 0xF064},
        {o.printButton, {darkGray}, Qt::black, 1.0, 0xF02F},
    };
    for (const auto& icon : icons)
        icon.button->setIcon(
            QIcon(QPixmap::fromImage(iconFontImage(factory, icon.colors, icon.stroke, icon.width, icon.code))));
}

void DocumentWindow::setUpContentBrowsers()
{
    Outlets& o = m_outlets;
    Controllers& c = m_controllers;
    Document* document = m_document;
    QWidget* pane = o.leftPane;
    // The image, shape and clip-art browsers: a grid over a strip of actions,
    // which grows upwards when what it says takes more lines.
    const auto gridBrowser = [pane](ZVGridBrowserController* browser, double bottomRoom) {
        QWidget* view = browser->view();
        view->setParent(pane);
        autoPinEdgesToSuperviewEdgesWithInsets(view, QMarginsF(0, 20, 0, 0));
        autoPinEdge(browser->scrollView(), PinEdge::Top, PinEdge::Top, pane, 48);
        autoPinEdge(browser->scrollView(), PinEdge::Bottom, PinEdge::Top, browser->actionView());
        autoPinEdge(browser->actionView(), PinEdge::Bottom, PinEdge::Bottom, pane);
        autoFitHeight(browser->actionView(), bottomRoom);
        autoPinEdge(browser->actionView(), PinEdge::Left, PinEdge::Left, browser->scrollView());
        autoPinEdge(browser->actionView(), PinEdge::Right, PinEdge::Right, browser->scrollView());
        autoMatchDimension(browser->scrollView(), PinDimension::Width, PinDimension::Width, pane);
    };
    const auto plainBrowser = [pane, document](ViewController* browser) {
        browser->setRepresentedObject(document);
        QWidget* view = browser->view();
        view->setParent(pane);
        autoPinEdgesToSuperviewEdgesWithInsets(view, QMarginsF(0, 21, 0, 0));
    };
    c.imageContentVC = new ZVImageContentViewController(this);
    gridBrowser(c.imageContentVC, 55);
    // The image browser gets its document only once its view is in place.
    c.imageContentVC->setRepresentedObject(document);
    c.shapeContentVC = new ZVShapeContentViewController(this);
    c.shapeContentVC->setRepresentedObject(document);
    gridBrowser(c.shapeContentVC, 28);
    c.clipArtContentVC = new ZVClipArtContentViewController(this);
    c.clipArtContentVC->setRepresentedObject(document);
    gridBrowser(c.clipArtContentVC, 28);
    c.codeContentVC = new ZVCodeContentViewController(this);
    plainBrowser(c.codeContentVC);
    c.textContentVC = new ZVTextContentViewController(this);
    plainBrowser(c.textContentVC);
}

void DocumentWindow::setUpContentTabs()
{
    TBTabBar* tabs = m_outlets.contentTabs;
    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    const QColor light(Qt::lightGray);
    const struct {
        QImage icon;
        QString toolTip;
    } entries[] = {
        {imageNamed(QStringLiteral("822-photo-2-toolbar")), tr("Images")},
        {imageNamed(QStringLiteral("t")), tr("Text")},
        {iconFontImage(factory, {light}, Qt::black, 0, 0xF006), tr("Shapes")},
        {iconFontImage(factory, {light}, Qt::black, 0, 0xF0C6), tr("Clip Art")},
        {iconFontImage(factory, {light}, Qt::black, 0, 0xF029), tr("QR/Barcode")},
    };
    QList<TBTabBarItem*> items;
    for (unsigned position = 0; position < std::size(entries); ++position) {
        TBTabBarItem* item = TBTabBarItem::tabBarItemWithIcon(entries[position].icon, position);
        item->setToolTip(entries[position].toolTip);
        item->setKeyEquivalent(QString::number(position));
        item->setKeyEquivalentModifierMask(Qt::ControlModifier | Qt::ShiftModifier);
        items.append(item);
    }
    tabs->setTabBarItems(items);
    changeContentView(0);
    tabs->handleTabBarItemSelection([this](int type, TBTabBarItem*, unsigned index) {
        if (type == 0)
            changeContentView(int(index));
    });
}

void DocumentWindow::setUpInspectors()
{
    Controllers& c = m_controllers;
    Document* document = m_document;
    c.pageSettingsController = new ZVPageSettingsController(this);
    c.layerSettingsController = new ZVLayerSettingsController(this);
    c.imageSettingsController = new ZVImageSettingsController(this);
    c.textSettingsController = new ZVTextSettingsController(this);
    c.threeDSettingsController = new ZV3DTextSettingsController(this);
    c.shapeSettingsController = new ZVShapeSettingsController(this);
    c.emptyViewController = new ZVEmptyViewController(this);
    for (ViewController* inspector :
         std::initializer_list<ViewController*> {c.pageSettingsController, c.layerSettingsController,
                                                 c.imageSettingsController, c.textSettingsController,
                                                 c.threeDSettingsController, c.shapeSettingsController,
                                                 c.emptyViewController})
        inspector->setRepresentedObject(document);

    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    const struct {
        QImage icon;
        QString toolTip;
    } entries[] = {
        {iconFontImage(factory, {QColor(Qt::lightGray)}, Qt::black, 0, 0xF016), tr("Page Settings")},
        {imageNamed(QStringLiteral("1062-layers-2-toolbar")), tr("Element Properties")},
        {imageNamed(QStringLiteral("830-pencil-toolbar")), tr("Content Properties")},
    };
    QList<TBTabBarItem*> items;
    for (unsigned position = 0; position < std::size(entries); ++position) {
        TBTabBarItem* item = TBTabBarItem::tabBarItemWithIcon(entries[position].icon, position);
        item->setToolTip(entries[position].toolTip);
        items.append(item);
    }
    m_outlets.inspectorTabs->setTabBarItems(items);
    // No horizontal scroll bar, a vertical one when the inspector needs it.
    changeInspectorView(0);
    m_outlets.inspectorTabs->handleTabBarItemSelection([this](int type, TBTabBarItem*, unsigned index) {
        if (type == 0)
            changeInspectorView(int(index));
    });
}

void DocumentWindow::setUpCanvas()
{
    ZVScrollView* canvas = m_outlets.scrollView;
    canvas->setRulersVisible(true);
    canvas->horizontalRulerView()->setReservedThicknessForAccessoryView(-5.0);
    canvas->verticalRulerView()->setReservedThicknessForAccessoryView(0.0);
}

void DocumentWindow::setUpPanels()
{
    Outlets& o = m_outlets;
    Controllers& c = m_controllers;
    c.layoutLayerViewController = new ZVLayoutLayerViewController(this);
    QWidget* layers = c.layoutLayerViewController->view();
    layers->setParent(o.layoutLayerPanel->contentView());
    autoPinEdgesToSuperviewEdgesWithInsets(layers, QMarginsF());
    c.imageEditorViewController = new ZVImageEditorViewController(this);
    QWidget* editor = c.imageEditorViewController->view();
    editor->setParent(o.editImagePanel->contentView());
    autoPinEdgesToSuperviewEdgesWithInsets(editor, QMarginsF());
    c.imageEditorViewController->setPanel(o.editImagePanel);
    c.pasteboardViewController = new ZVPasteboardViewController(this);
    c.pasteboardViewController->setRepresentedObject(m_document);
    QWidget* holding = c.pasteboardViewController->view();
    holding->setParent(o.pasteboardPanel->contentView());
    autoPinEdgesToSuperviewEdgesWithInsets(holding, QMarginsF());
    // The document hears when its panels close.
    connect(o.layoutLayerPanel, &WindowPanel::closed, this, [this] {
        if (auto* editing = m_controllers.imageEditorViewController->editor())
            editing->close();
        if (!m_closing && m_document)
            m_document->setValueForKey(u"layoutLayersPaneVisible", false);
    });
    connect(o.pasteboardPanel, &WindowPanel::closed, this, [this] {
        if (auto* editing = m_controllers.imageEditorViewController->editor())
            editing->close();
        if (!m_closing && m_document)
            m_document->setValueForKey(u"pasteboardVisible", false);
    });
    connect(o.editImagePanel, &WindowPanel::closed, this, [this] {
        if (auto* editing = m_controllers.imageEditorViewController->editor())
            editing->close();
    });
    // The panels float beside the window's edges, the image editor over its
    // middle; each stays within the screen that holds the window.
    const QRect frame = geometry();
    const QRect screen = ScreenPlacement::availableGeometryOf(this);
    const int layersWidth = ScreenPlacement::frameSize(*o.layoutLayerPanel).width();
    ScreenPlacement::place(*o.layoutLayerPanel,
                           QPoint(frame.right() - int(kRightPaneWidth) - layersWidth - 20, frame.top() + 120), screen);
    ScreenPlacement::place(*o.pasteboardPanel, QPoint(frame.left() + int(kLeftPaneWidth) + 20, frame.top() + 120),
                           screen);
    for (QWidget* panel : {o.editImagePanel.data(), o.loadingPanel.data(), o.downloadingPanel.data()})
        ScreenPlacement::centre(*panel, frame, screen);
}

void DocumentWindow::setUpAddTextButton()
{
    ComposeButton* button = m_outlets.addTextButton;
    button->setupMenu({tr("Regular Text"), tr("3D Text")}, [this](QAction*, int index) {
        if (index == 0)
            m_controllers.textContentVC->insertText(nullptr);
        else if (index == 1 && m_document)
            m_document->insert3DText();
    });
    // An icon, no title.
    button->setText(QString());
    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    button->setIcon(QIcon(QPixmap::fromImage(iconFontImage(factory, {QColor(Qt::darkGray), QColor(Qt::gray)},
                                                           Qt::black, 0, 0xF031))));
}

void DocumentWindow::setUpObservation()
{
    m_observingKeyPaths = {QStringLiteral("scrollMag"), QStringLiteral("scrollView.magnification"),
                           QStringLiteral("currentPage.focusedVector"), QStringLiteral("currentPage.drawingMode"),
                           QStringLiteral("exportFileFormat")};
    for (const QString& keyPath : std::as_const(m_observingKeyPaths)) {
        // The canvas is a widget: its magnification is watched through its
        // signal, which fires on real changes only.
        if (keyPath == QLatin1String("scrollView.magnification")) {
            connect(m_outlets.scrollView, &ZVScrollView::magnificationChanged, this,
                    [this, keyPath] { observeValueForKeyPath(keyPath); });
            continue;
        }
        m_document->addObserver(keyPath, this, [this](const KeyValueChange& change) {
            observeValueForKeyPath(change.keyPath);
        });
    }
    // The zoom field edits the zoom text.
    connect(m_outlets.zoomField, &QComboBox::textActivated, this, [this](const QString& text) {
        if (m_document)
            m_document->setValueForKey(u"scrollMag", text);
    });
    connect(m_outlets.zoomField->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_document && m_outlets.zoomField->currentText() != m_document->scrollMag())
            m_document->setValueForKey(u"scrollMag", m_outlets.zoomField->currentText());
    });
}

void DocumentWindow::setUpRulerUnits()
{
    static const QStringList units {QStringLiteral("Inches"), QStringLiteral("Centimeters"), QStringLiteral("Points")};
    const qint64 type = ZVDesignHelper::sharedInstance().defaults().integerForKey(QStringLiteral("unitsType"));
    if (type < 0 || type >= units.size())
        return;
    m_outlets.scrollView->horizontalRulerView()->setMeasurementUnits(units[type]);
    m_outlets.scrollView->verticalRulerView()->setMeasurementUnits(units[type]);
}

void DocumentWindow::setUpPageStrip()
{
    Outlets& o = m_outlets;
    connect(o.previousPage, &QToolButton::clicked, this, [this] {
        if (m_document)
            m_document->previousPage();
    });
    connect(o.nextPage, &QToolButton::clicked, this, [this] {
        if (m_document)
            m_document->nextPage();
    });
    const auto follow = [this] {
        if (!m_document)
            return;
        m_outlets.pageLabel->setText(m_document->pageLabel());
        m_outlets.previousPage->setEnabled(m_document->previousAvailable());
        m_outlets.nextPage->setEnabled(m_document->nextAvailable());
    };
    for (const char* key : {"pageLabel", "previousAvailable", "nextAvailable"})
        m_document->addObserver(QString::fromLatin1(key), this, [follow](const KeyValueChange&) { follow(); });
    follow();
}

void DocumentWindow::showCurrentPage()
{
    if (!m_document)
        return;
    ZVCanvasView* page = m_document->currentPage();
    ZVScrollView* canvas = m_outlets.scrollView;
    canvas->setDocumentView(page);
    // The same page shown again is redrawn: its elements, then the page.
    canvas->redrawElements();
    if (ZVPageItem* item = canvas->pageItem())
        item->update();
    for (ZVRulerView* ruler : {canvas->horizontalRulerView(), canvas->verticalRulerView()}) {
        ruler->setClientView(page);
        const ZVCanvasView* geometry = page ? page->templateView() : nullptr;
        ruler->setOriginOffset(geometry && geometry->fullBleed() ? geometry->bleedMargin() : 0.0);
    }
    // Re-pointing emptied the rulers: they show the page's guides again.
    m_document->showCurrentPageMarkers();
    if (m_controllers.layoutLayerViewController)
        m_controllers.layoutLayerViewController->setCurrentPage(page);
    if (m_controllers.pageSettingsController && page)
        m_controllers.pageSettingsController->backgroundPicker()->setRepresentedObject(page->backgroundView());
    // Drops follow the page shown: none while it is drawn on.
    setDropViewHidden(page && page->isDrawing());
    updateDrawingTools();
    m_menus->validateMenus();
}

// CanvasHost -----------------------------------------------------------------

void DocumentWindow::editImage(ZVPuttyView* element)
{
    m_controllers.imageEditorViewController->setPuttyView(element);
    const auto* image = element ? qobject_cast<const ZVImageView*>(element->contentView()) : nullptr;
    m_controllers.imageEditorViewController->setImage(image ? image->originalImage() : Image());
    ToolWindow::present(*m_outlets.editImagePanel, this);
}

void DocumentWindow::addToPasteboard()
{
    m_controllers.pasteboardViewController->addToPasteboard(nullptr);
}

void DocumentWindow::showAlert(const QString& messageText, const QString& informativeText)
{
    // Not within a drop: the program that the drag came from waits for it.
    after(0, this, [this, messageText, informativeText] {
        if (Prompter* prompter = m_controller.prompter()) {
            AlertRequest alert;
            alert.messageText = messageText;
            alert.informativeText = informativeText;
            prompter->runAlert(alert);
        }
    });
}

void DocumentWindow::setDownloading(bool downloading)
{
    m_downloads = std::max(0, m_downloads + (downloading ? 1 : -1));
    WindowPanel* panel = m_outlets.downloadingPanel;
    if (!panel || m_closing)
        return;
    if (m_downloads > 0 && !panel->isVisible()) {
        panel->setWindowTitle(tr("Downloading..."));
        panel->show();
        panel->raise();
    } else if (m_downloads == 0) {
        if (m_progressTitle.isEmpty())
            panel->close();
        else
            panel->setWindowTitle(m_progressTitle);
    }
}

RulerHost* DocumentWindow::horizontalRuler()
{
    return m_outlets.scrollView ? m_outlets.scrollView->horizontalRulerView() : nullptr;
}

RulerHost* DocumentWindow::verticalRuler()
{
    return m_outlets.scrollView ? m_outlets.scrollView->verticalRulerView() : nullptr;
}

void DocumentWindow::setRulersVisible(bool visible)
{
    if (m_outlets.scrollView)
        m_outlets.scrollView->setRulersVisible(visible);
}

void DocumentWindow::setNeedsDisplay()
{
    m_outlets.scrollView->setNeedsDisplay();
}

void DocumentWindow::makePageFirstResponder(bool page)
{
    if (page)
        m_outlets.scrollView->setFocus(Qt::OtherFocusReason);
    else if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
}

double DocumentWindow::magnification() const
{
    return m_outlets.scrollView->magnification();
}

// Closing --------------------------------------------------------------------

void DocumentWindow::closePanels()
{
    m_closing = true;
    if (auto* editing = m_controllers.imageEditorViewController ? m_controllers.imageEditorViewController->editor()
                                                                : nullptr)
        editing->close();
    for (WindowPanel* panel : {m_outlets.layoutLayerPanel.data(), m_outlets.pasteboardPanel.data(),
                               m_outlets.editImagePanel.data(), m_outlets.loadingPanel.data(),
                               m_outlets.downloadingPanel.data(), m_outlets.exportPanel.data(),
                               m_outlets.saveTemplatePanel.data()}) {
        if (panel)
            panel->close();
    }
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window closes the document; the user may cancel that.
    if (m_document && m_controller.documents().contains(m_document.data()) && !m_controller.closeDocument(m_document)) {
        event->ignore();
        return;
    }
    closePanels();
    event->accept();
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Items validate before a shortcut is matched, as menus do when they open.
    if (event->type() == QEvent::ShortcutOverride && m_menus)
        m_menus->validateMenus();
    return QMainWindow::eventFilter(watched, event);
}

void DocumentWindow::updateTitle()
{
    if (!m_document)
        return;
    setWindowTitle(m_document->displayName() + QStringLiteral("[*] — Quiverleaf"));
    setWindowModified(m_document->isDocumentEdited());
    setWindowFilePath(m_document->filePath());
    m_menus->validateMenus();
}

} // namespace ql
