// Styled text as a laid-out document at 72 dpi, for the painters until the
// text element's own layout draws it. Fonts are named by PostScript name.
#pragma once

#include <QFont>
#include <memory>

class QTextDocument;

namespace ql {

class AttributedString;
class Font;

class TextDocuments {
public:
    // A document of the text laid out `width` points wide, no margins.
    static std::unique_ptr<QTextDocument> documentFor(const AttributedString& text, double width);
    // A font for a PostScript name ("Helvetica", "HelveticaNeue-Bold") at
    // its point size, meant for a 72-dpi device.
    static QFont qtFont(const Font& font);
};

} // namespace ql
