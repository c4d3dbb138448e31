// One publication: its pages, notes and booklet flag, the window's shown list
// and current page, the export settings the export sheet edits, its own undo
// manager and the file it belongs to. The document controller creates, reads,
// saves and closes documents; windows only show them.
#pragma once

#include "app/document/FileStamp.h"
#include "app/document/PrintInfo.h"
#include "canvas/PageDocument.h"
#include "platform/Error.h"
#include "platform/graphics/AttributedString.h"
#include "platform/object/KVObject.h"
#include "platform/undo/UndoManager.h"

#include <QPointer>
#include <QWidget>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class CanvasHost;
class Prompter;

// Document type names, as the file format knows them.
inline const QString kDesktopDocumentType = QStringLiteral("QuiverleafMac");
inline const QString kMobileDocumentType = QStringLiteral("QuiverleafiOS");

struct Notification;

class Document : public KVObject, public PageDocument {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    const PropertyTable& properties() const override;

    // The file: the controller sets it when it opens or saves; an imported
    // or copied document has none and asks for one when first saved.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path);
    // The file as it was when last read or written here.
    FileStamp fileStamp() const { return m_fileStamp; }
    void setFileStamp(const FileStamp& stamp) { m_fileStamp = stamp; }
    QString fileType() const { return m_fileType; }
    void setFileType(const QString& type) { m_fileType = type; }
    // "Untitled", "Untitled 2", ... until the document has a file.
    QString displayName() const;
    void setUntitledName(const QString& name);

    UndoManager* undoManager() override { return &m_undoManager; }
    // Edited while the undo manager's change count differs from the one at the
    // last save or read, after a change that registered no undo, and once the
    // saved state can no longer come back (a new change after undoing past
    // it), until the next save.
    bool isDocumentEdited() const;
    void updateChangeCountDone();
    void updateChangeCountCleared();

    // The archive of this document (always the desktop format). A drawing
    // still open on a page is finished first, so that the file holds it.
    virtual Result<QByteArray> dataOfType(const QString& typeName);
    void finishOpenDrawings() override;
    // Replaces the document's contents with what the data holds. A bad file
    // fails with an error naming the problem and leaves the document as it was.
    virtual Status readFromData(const QByteArray& data, const QString& typeName);

    // Windows showing the document; `documentWindow` is the only one, or null
    // when there is none or more than one.
    void addWindow(QWidget* window);
    void removeWindow(QWidget* window);
    QList<QWidget*> windows() const;
    QWidget* documentWindow() const;
    // The model side of a window's set-up: the first pages and the shown list.
    // `isNew` is false for documents read from a file or template, whose
    // booklet flag must survive.
    void setUpForWindow(bool isNew);

    // Pages. `pages` is the list the window shows: the very list
    // `contentPages` or `masterPages`, as `pagesType` says. Pages are owned by
    // the document; `deletedPages` keeps removed ones alive for undo.
    QList<ZVCanvasView*>& contentPages() { return m_contentPages; }
    const QList<ZVCanvasView*>& contentPages() const { return m_contentPages; }
    QList<ZVCanvasView*>& masterPages() { return m_masterPages; }
    const QList<ZVCanvasView*>& masterPages() const { return m_masterPages; }
    QList<ZVCanvasView*>& pages() { return *m_pages; }
    const QList<ZVCanvasView*>& pages() const { return *m_pages; }
    QList<ZVCanvasView*>& deletedPages() { return m_deletedPages; }
    // Shows content pages (0) or master pages (1).
    void setPagesType(int type);
    // Gives each page list that is empty a first page, shows the content
    // pages and makes the first one current.
    void showFirstPage();
    // A new page of 612 × 792 points with the page defaults, owned by the document.
    ZVCanvasView* newPage();

    ZVCanvasView* currentPage() const;
    // Makes a page current and refreshes whatever shows it.
    void setCurrentPage(ZVCanvasView* page);
    // Keeps the current page within the shown list and updates the counter
    // and the previous/next flags.
    void updatePageCounts();
    QString pageLabel() const { return m_pageLabel; }
    bool previousAvailable() const { return m_previousAvailable; }
    bool nextAvailable() const { return m_nextAvailable; }
    void previousPage();
    void nextPage();
    // "openPage" with this document as sender: user info "indexes" holds the
    // chosen positions in `pages`; the smallest one counts. A page it makes
    // current closes the pages popover.
    void receiveNotification(const Notification& notification);
    // The page-thumbnail popover while it is open.
    QWidget* pagesPopover() const { return m_pagesPopover.data(); }
    void setPagesPopover(QWidget* popover) { m_pagesPopover = popover; }
    // Every element of every shown page, in page order.
    QList<ZVPuttyView*> allPuttyViews() const override;
    // Repaints the current page's overlay.
    void updateGuideView();

    // Page list commands (DocumentPages.cpp). They work on the shown list.
    // A new page with the current page's own settings, in no list yet, owned
    // by the document.
    ZVCanvasView* newCanvas();
    void insertPageAfter();
    void insertPageBefore();
    // Asks first; "OK" moves the current page to `deletedPages` and shows the
    // first page. Without a prompter to ask, nothing is deleted.
    void deletePage(Prompter* prompter);
    // Between content and master pages; the first page of the list shown.
    void togglePagesType();
    // The current page's settings (not clipToMargins) onto every shown page.
    void applyPageSettingsToAllPages();
    // The pages popover's add: `page` goes to the end of the shown list and
    // becomes current, as one undoable step.
    void appendPageUndoably(ZVCanvasView* page);

    // Rulers, ruler guides and units (DocumentRulers.cpp). The rulers show
    // the current page's guides shifted by its bleed; the page stores them
    // from the trim edge.
    void showCurrentPageMarkers() override;
    // Reads the rulers' markers back into the current page; nothing while
    // its focused text is being edited.
    void saveCurrentPageMarkers() override;
    // The same, only while the rulers measure a page.
    void saveMarkers();
    // Points both rulers at the current page again with its guides.
    void showRulers() override;
    // A guide across the middle of the trimmed page, vertical or horizontal.
    void insertVerticalGuide();
    void insertHorizontalGuide();
    // Removes every ruler guide of the current page, without asking or undo.
    void deleteGuides();
    void toggleRulers();
    // 0 inches, 1 centimetres, 2 points; rulers and inspectors follow.
    void setUnits(int tag);

    // Places a new 3D text element in the middle of the current page,
    // selected and focused.
    void insert3DText();
    // Shows the shape browser and, once it is loaded, places the library's
    // shape at `index` (an Insert menu item's tag) in the middle of the
    // current page, selected and focused. A tag outside the library inserts
    // nothing.
    void insertShapeWithIndex(int index);
    // The other inserts hand over to the browser that makes the element,
    // switching the content pane to it first where the user should see it.
    void insertImage();
    void insertPageNumber();
    void insertDate();
    void insertText();
    // Text style index 0 normal, 1 title, 2 subtitle, 3 to 5 headings 1 to 3,
    // 6 caption: the new box takes that style's font and size.
    void insertTextWithStyle(int style);
    void insertTextNormal() { insertTextWithStyle(0); }
    void insertTextTitle() { insertTextWithStyle(1); }
    void insertTextSubtitle() { insertTextWithStyle(2); }
    void insertTextHeading1() { insertTextWithStyle(3); }
    void insertTextHeading2() { insertTextWithStyle(4); }
    void insertTextHeading3() { insertTextWithStyle(5); }
    void insertTextCaption() { insertTextWithStyle(6); }
    void insertShape();
    void insertShapeText() {}
    void insertClipArt();
    void insertBarcode();

    // PageDocument
    QObject* documentObject() override { return this; }
    CanvasHost* canvasHost() override;
    ZVCanvasView* shownPage() const override { return currentPage(); }
    int indexOfPage(const ZVCanvasView* page) const override;
    int pageCount() const override { return int(pages().size()); }
    ZVCanvasView* pageAt(int index) const override { return pages().value(index); }
    int indexOfMasterPage(const ZVCanvasView* page) const override;
    void pageGeometryChanged(ZVCanvasView* page) override;
    void pageChangedWithoutUndo(ZVCanvasView*) override { updateChangeCountDone(); }

    // Export settings (DocumentExport.cpp).
    // The format's rules: which options apply, the height of the sheet's
    // option area, PNG back to RGB, and the range back to every page.
    void setExportControls();
    // Readies the settings as the export sheet opens: a freehand drawing
    // under way is finished, the rules applied, the name preset to the
    // file's name.
    void prepareExport();
    // The pages to export: every shown page, or the range, first kept within
    // the shown pages and after its start.
    QList<ZVCanvasView*> exportSelection();
    QString exportFileName() const { return m_exportFileName; }
    void setExportFileName(const QString& name) { changeValue(QStringLiteral("exportFileName"), m_exportFileName, name); }
    QVariant exportPageStart() const { return m_exportPageStart; }
    QVariant exportPageEnd() const { return m_exportPageEnd; }
    QVariant exportPageCount() const { return m_exportPageCount; }
    bool exportResolutionEligible() const { return m_exportResolutionEligible; }
    bool exportCMYKEligible() const { return m_exportCMYKEligible; }
    bool exportQualityEligible() const { return m_exportQualityEligible; }
    // Print settings, kept between prints and never stored in the file.
    const PrintInfo& printInfo() const { return m_printInfo; }
    void setPrintInfo(const PrintInfo& info) { m_printInfo = info; }

    // Stored content.
    const AttributedString& notes() const { return m_notes; }
    void setNotes(const AttributedString& notes) { changeValue(QStringLiteral("notes"), m_notes, notes); }
    bool formatAsBooklet() const { return m_formatAsBooklet; }
    void setFormatAsBooklet(bool on) { changeValue(QStringLiteral("formatAsBooklet"), m_formatAsBooklet, on); }

    // Window state and export settings (not stored in the file).
    QString scrollMag() const { return m_scrollMag; }
    QVariant pagesType() const { return m_pagesType; }
    bool leftPaneVisible() const { return m_leftPaneVisible; }
    bool rightPaneVisible() const { return m_rightPaneVisible; }
    bool layoutLayersPaneVisible() const { return m_layoutLayersPaneVisible; }
    bool pasteboardVisible() const { return m_pasteboardVisible; }
    bool rulersVisible() const { return m_rulersVisible; }
    QVariant exportFileFormat() const { return m_exportFileFormat; }
    QVariant exportFileResolution() const { return m_exportFileResolution; }
    QVariant exportColorSpace() const { return m_exportColorSpace; }
    QVariant exportImageQuality() const { return m_exportImageQuality; }
    QVariant exportPageRangeType() const { return m_exportPageRangeType; }
    double exportContentHeight() const { return m_exportContentHeight; }

signals:
    // After the edited state or the file changed; windows update their title.
    void documentStateChanged();
    // After a read replaced the contents (opening or reverting).
    void contentsReplaced();
    // After a page became current (also the same page again).
    void currentPageChanged(ZVCanvasView* page);
    // After the shown list changed its members or its kind.
    void pagesChanged();

private:
    void initialize();
    // The master pages as the key "masterPages" reads them.
    QList<ZVCanvasView*> masterPageList() const { return m_masterPages; }
    // Undoable placing and taking out of a page of one of the page lists.
    void putBackPage(bool master, ZVCanvasView* page, qsizetype index);
    void takeOutPage(bool master, ZVCanvasView* page, ZVCanvasView* returnTo);
    // Moves a page to `deletedPages`; content pages that used it as their
    // master show their own geometry again.
    void retirePage(ZVCanvasView* page);
    // The rulers follow guides the current page gets by other ways than the
    // rulers themselves (commands, undo, reading), so storing the rulers'
    // markers never loses them.
    void currentPageMarkersChanged(const QString& key);
    // A read document's window comes to the front once it exists.
    void bringWindowForwardSoon();

    // File state.
    QString m_filePath;
    QString m_fileType;
    QString m_untitledName;
    UndoManager m_undoManager;
    int m_savedChangeCount = 0;
    bool m_editedWithoutUndo = false;
    bool m_savedStateLost = false;
    FileStamp m_fileStamp;
    QList<QPointer<QWidget>> m_windows;

    // Pages.
    QList<ZVCanvasView*> m_contentPages;
    QList<ZVCanvasView*> m_masterPages;
    QList<ZVCanvasView*>* m_pages = &m_contentPages;
    QList<ZVCanvasView*> m_deletedPages;
    QPointer<ZVCanvasView> m_currentPage;
    QString m_pageLabel;
    QPointer<QWidget> m_pagesPopover;

    // Stored content.
    AttributedString m_notes;
    bool m_formatAsBooklet = false;

    // Shown list and window state.
    QVariant m_pagesType;
    bool m_previousAvailable = false;
    bool m_nextAvailable = false;
    QString m_scrollMag;
    bool m_leftPaneVisible = false;
    bool m_rightPaneVisible = false;
    bool m_layoutLayersPaneVisible = false;
    bool m_pasteboardVisible = false;
    bool m_rulersVisible = false;
    bool m_storingMarkers = false;

    // Export settings; numbers left null mean "not chosen yet".
    QString m_exportFileName;
    QVariant m_exportFileFormat;
    QVariant m_exportFileResolution;
    QVariant m_exportColorSpace;
    QVariant m_exportPageRangeType;
    QVariant m_exportPageStart;
    QVariant m_exportPageEnd;
    QVariant m_exportPageCount;
    QVariant m_exportImageQuality;
    bool m_exportResolutionEligible = false;
    bool m_exportCMYKEligible = false;
    bool m_exportQualityEligible = false;
    double m_exportContentHeight = 0;
    PrintInfo m_printInfo;
};

} // namespace ql
