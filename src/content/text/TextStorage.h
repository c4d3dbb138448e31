// The styled text of a text box, or of a chain of linked boxes that show one
// text: a QTextDocument with the flow layout that lays it out through the
// boxes' containers. Documents store it as a record of its own, so that a
// chain writes its text once and its boxes share it again when read.
//
// A text read from a file is kept as it was read until something first asks
// for its document or layout: a page of many boxes then costs a document
// only for the boxes that are shown or changed. Output may put a text it
// drew and did not change back in that form.
#pragma once

#include "content/text/FlowLayout.h"
#include "content/text/RangeReading.h"
#include "platform/archive/Codable.h"
#include "platform/graphics/AttributedString.h"

#include <QObject>
#include <QTextDocument>
#include <optional>

namespace ql::text {

class TextStorage : public QObject, public ql::Codable {
    Q_OBJECT
public:
    // Starts empty, without a document: a reader sets its text once.
    explicit TextStorage(QObject* parent = nullptr);
    ~TextStorage() override;

    // Made on first use.
    QTextDocument* document() const;
    FlowLayout* layoutManager() const;
    bool hasDocument() const { return m_document != nullptr; }
    // True for a text without characters that nothing has formatted since
    // it was set: it reads like any new empty text.
    bool isPlainEmpty() const { return !m_document && m_text.isEmpty(); }

    // The containers the text flows through, in reading order, whether or
    // not the layout is made yet (see FlowLayout).
    int textContainerCount() const;
    TextContainer* textContainerAt(int index) const;
    int indexOfTextContainer(const TextContainer* container) const;
    void insertTextContainer(TextContainer* container, int index);
    void removeTextContainer(TextContainer* container);
    // Drops the document and its layout when the text has not changed since
    // the document was made; the next use makes them again, the same.
    void releaseDocument();
    // About the memory the document and its laid-out lines take; none
    // without a document.
    qint64 laidOutBytes() const;
    // Whether part of the text is laid out in no container. A text let go
    // of answers from its last layout while neither it nor its containers
    // changed since: outlines and badges ask at every repaint, and asking
    // must not lay out again every box of a page.
    bool hasOverflow() const;

    AttributedString attributedString() const;
    void setAttributedString(const AttributedString& text);
    AttributedString attributedSubstring(int position, int length) const;
    QString string() const;
    // Length in document positions (paragraph separators count one).
    int length() const;
    // Grows with every change of the characters or their attributes.
    int revision() const { return m_revision; }

    // What the settings read back from [location, location + length), walked
    // once while the text stays as it is: every box of a chain reads the
    // same ranges (the selection, the whole text) at each change of the
    // selection. Never asked inside an edit block, whose changes count only
    // once it ends.
    RangeReading reading(int location, int length) const;
    // Ranges walked for readings so far (for tests).
    qint64 rangesRead() const { return m_rangesRead; }

    QStringList archiveClassChain() const override;
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

signals:
    // The characters or their attributes changed in [position, position + added).
    void textChanged(int position, int removed, int added);
    // The layout's lines moved or changed: views redraw.
    void layoutInvalidated();

private:
    void makeDocument() const;
    QList<quint64> containerGeometry() const;

    mutable QTextDocument* m_document = nullptr;
    mutable FlowLayout* m_layout = nullptr;
    // The text while there is no document, and what the document was made
    // from while there is.
    mutable AttributedString m_text;
    // The containers while there is no layout.
    mutable QList<TextContainer*> m_containers;
    int m_revision = 0;
    // The readings made at the present revision, the latest last.
    struct KeptReading {
        int revision = 0;
        int location = 0;
        int length = 0;
        RangeReading reading;
    };
    mutable QList<KeptReading> m_readings;
    mutable qint64 m_rangesRead = 0;
    mutable int m_revisionWhenMade = 0;
    // What the layout of a released document found, and the shapes of the
    // containers it was found for.
    struct ReleasedLayout {
        bool overflows = false;
        QList<quint64> geometry;
    };
    mutable std::optional<ReleasedLayout> m_released;
};

} // namespace ql::text
