// Attribute runs of a QTextDocument read and edited by range, as the
// platform's text storage offers them: positions as QTextDocument counts
// them, paragraph separators included.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <QList>
#include <QTextDocument>
#include <functional>

namespace ql::text {

struct AttributeRun {
    int start = 0;
    int length = 0;
    TextAttributes attributes;
};

struct ValueRun {
    int start = 0;
    int length = 0;
    QVariant value; // invalid where the attribute is absent
};

// Maximal runs of equal attribute maps over the range.
QList<AttributeRun> attributeRuns(const QTextDocument& document, int start, int length);
// Maximal runs of one attribute's value (absent counts as a value).
QList<ValueRun> valueRuns(const QTextDocument& document, const QString& name, int start, int length);

// Rewrites the attributes of every character in the range; runs whose map
// the edit leaves alone are not touched. Returns whether anything changed.
bool editAttributes(QTextDocument& document, int start, int length, const std::function<void(TextAttributes&)>& edit);
bool addAttribute(QTextDocument& document, const QString& name, const QVariant& value, int start, int length);
bool removeAttribute(QTextDocument& document, const QString& name, int start, int length);
// Puts runs read by attributeRuns() back.
void setAttributeRuns(QTextDocument& document, const QList<AttributeRun>& runs);

} // namespace ql::text
