#include "content/text/ForeignRichText.h"

#include "content/text/AttributedTextMapping.h"
#include "content/text/RtfReader.h"

#include <QMimeData>
#include <algorithm>

namespace ql::text {

namespace {

const QStringList& rtfFormats()
{
    static const QStringList formats {QStringLiteral("text/rtf"), QStringLiteral("application/rtf")};
    return formats;
}

} // namespace

std::optional<AttributedString> foreignRichText(const QMimeData& data, const Font& unstyledFont)
{
    for (const QString& format : rtfFormats()) {
        if (data.hasFormat(format)) {
            if (std::optional<AttributedString> text = attributedStringFromRtf(data.data(format)))
                return text;
        }
    }
    if (data.hasHtml())
        return attributedStringFromHtml(data.html(), unstyledFont);
    return std::nullopt;
}

bool hasForeignRichText(const QMimeData& data)
{
    return data.hasHtml()
        || std::any_of(rtfFormats().cbegin(), rtfFormats().cend(), [&data](const QString& format) {
               return data.hasFormat(format);
           });
}

} // namespace ql::text
