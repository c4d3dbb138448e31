// The styled text of a text box, or of a chain of linked boxes that show one
// text: a QTextDocument with the flow layout that lays it out through the
// boxes' containers. Documents store it as a record of its own, so that a
// chain writes its text once and its boxes share it again when read.
#pragma once

#include "content/text/FlowLayout.h"
#include "platform/archive/Codable.h"
#include "platform/graphics/AttributedString.h"

#include <QObject>
#include <QTextDocument>

namespace ql::text {

class TextStorage : public QObject, public ql::Codable {
    Q_OBJECT
public:
    explicit TextStorage(QObject* parent = nullptr);
    // A storage to be read from an archive: its text is set once, by the record.
    static TextStorage* forReading();
    ~TextStorage() override;

    QTextDocument* document() const { return m_document; }
    FlowLayout* layoutManager() const { return m_layout; }

    AttributedString attributedString() const;
    void setAttributedString(const AttributedString& text);
    AttributedString attributedSubstring(int position, int length) const;
    QString string() const;
    // Length in document positions (paragraph separators count one).
    int length() const;
    // Grows with every change of the characters or their attributes.
    int revision() const { return m_revision; }

    QStringList archiveClassChain() const override;
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

signals:
    // The characters or their attributes changed in [position, position + added).
    void textChanged(int position, int removed, int added);

private:
    struct Unfilled {};
    TextStorage(QObject* parent, Unfilled);

    QTextDocument* m_document;
    FlowLayout* m_layout;
    int m_revision = 0;
};

} // namespace ql::text
