// Reads one value out of a JSON answer held as text, for when no JSON parser
// is at hand. It knows no nesting: the value runs from the key's colon to the
// next comma (passing over commas inside a quoted text).
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace ql {

std::optional<QString> scanJsonValue(const QString& key, const QString& json);

// A store entry is either a parsed dictionary or the answer's whole text;
// the value for `key` from either (invalid when absent).
QVariant valueForKeyInJson(const QString& key, const QVariant& entry);

} // namespace ql
