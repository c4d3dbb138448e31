// One publication: its pages, notes and booklet flag, the window's shown list
// and current page, the export settings the export sheet edits, its own undo
// manager and the file it belongs to. The document controller creates, reads,
// saves and closes documents; windows only show them.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/AttributedString.h"
#include "platform/object/KVObject.h"
#include "platform/undo/UndoManager.h"

#include <QPointer>
#include <QWidget>

namespace ql {

// Document type names, as the file format knows them.
inline const QString kDesktopDocumentType = QStringLiteral("QuiverleafMac");
inline const QString kMobileDocumentType = QStringLiteral("QuiverleafiOS");

class Document : public KVObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    const PropertyTable& properties() const override;

    // The file: the controller sets it when it opens or saves; an imported
    // or copied document has none and asks for one when first saved.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path);
    QString fileType() const { return m_fileType; }
    void setFileType(const QString& type) { m_fileType = type; }
    // "Untitled", "Untitled 2", ... until the document has a file.
    QString displayName() const;
    void setUntitledName(const QString& name);

    UndoManager* undoManager() { return &m_undoManager; }
    // Edited while the undo manager's change count differs from the one at the
    // last save or read, or after a change that registered no undo.
    bool isDocumentEdited() const;
    void updateChangeCountDone();
    void updateChangeCountCleared();

    // The archive of this document (always the desktop format).
    virtual Result<QByteArray> dataOfType(const QString& typeName);
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

private:
    void initialize();
    // A read document's window comes to the front once it exists.
    void bringWindowForwardSoon();

    // File state.
    QString m_filePath;
    QString m_fileType;
    QString m_untitledName;
    UndoManager m_undoManager;
    int m_savedChangeCount = 0;
    bool m_editedWithoutUndo = false;
    QList<QPointer<QWidget>> m_windows;

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
};

} // namespace ql
