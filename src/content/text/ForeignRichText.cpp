#include "content/text/ForeignRichText.h"

#include "content/text/AttributedTextMapping.h"
#include "content/text/RtfReader.h"

#include <QMimeData>

namespace ql::text {

std::optional<AttributedString> foreignRichText(const QMimeData& data, const Font& unstyledFont)
{
    for (const QString& format : {QStringLiteral("text/rtf"), QStringLiteral("application/rtf")}) {
        if (data.hasFormat(format)) {
            if (std::optional<AttributedString> text = attributedStringFromRtf(data.data(format)))
                return text;
        }
    }
    if (data.hasHtml())
        return attributedStringFromHtml(data.html(), unstyledFont);
    return std::nullopt;
}

} // namespace ql::text
