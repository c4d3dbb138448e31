// Numbered words ("w0001 w0002 ...") that show whether a text flows through
// its boxes whole and in order, and the text content of an element.
#pragma once

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QStringList>

namespace ql::testing {

inline QStringList numberedWordList(int count)
{
    QStringList words;
    for (int i = 1; i <= count; ++i)
        words.append(QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0')));
    return words;
}

inline QString numberedWords(int count)
{
    return numberedWordList(count).join(QLatin1Char(' '));
}

inline ZVTextView* textOf(const ZVPuttyView* element)
{
    return qobject_cast<ZVTextView*>(element->contentView());
}

} // namespace ql::testing
