#include "platform/Unicode.h"

namespace ql {

bool replaceLoneSurrogates(QString& text)
{
    bool replaced = false;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i; // a pair
            continue;
        }
        text[i] = QChar::ReplacementCharacter;
        replaced = true;
    }
    return replaced;
}

} // namespace ql
