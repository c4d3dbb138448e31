#include "prompts/NotesAccessory.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QImage>
#include <QTextDocument>
#include <algorithm>

namespace ql {

namespace {

constexpr double accessoryWidth = 380.0;
constexpr double maxAccessoryHeight = 203.0;
constexpr double heightAllowance = 3.0;
// Border and vertical scroller of the scroll view, then the text's own padding.
constexpr double scrollerAndBorder = 17.0;
constexpr double linePadding = 5.0;
constexpr double fontPoints = 12.0;

} // namespace

QSizeF notesAccessorySize(const QString& notes)
{
    // Laid out at 72 dots per inch, so that a point is one unit.
    QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    constexpr int dotsPerMeter = 2835; // 72 dpi
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    QFont font = document.defaultFont();
    font.setPointSizeF(fontPoints);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setPlainText(notes);
    document.setTextWidth(accessoryWidth - scrollerAndBorder - 2 * linePadding);
    const double textHeight = document.size().height();
    return {accessoryWidth, std::min(textHeight + heightAllowance, maxAccessoryHeight)};
}

} // namespace ql
