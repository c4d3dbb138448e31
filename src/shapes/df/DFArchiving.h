// Reading and writing the drawing framework's records: forgiving readers
// for the values its classes store (a missing or damaged key keeps the
// default), the value records of gradients and dashes, the rule by which a
// record takes in the objects it owns, and the allow-list of its classes.
#pragma once

#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/Color.h"

#include <QSizeF>

class DFDrawable;
class DFGradient;
class DFStrokeDash;

namespace ql::df {

// The largest coordinate, size or length a record may hold; beyond it the
// key keeps its default (nothing on a page is a million points across).
inline constexpr double largestCoordinate = 1.0e6;

bool readDouble(KeyedUnarchiver& coder, const QString& key, double& field, double limit = largestCoordinate);
bool readSize(KeyedUnarchiver& coder, const QString& key, QSizeF& field);
bool readPointWithin(KeyedUnarchiver& coder, const QString& key, QPointF& field);
// A value of exactly type T under the key (a colour, image, path, gradient
// or dash record).
template <class T>
bool readValue(KeyedUnarchiver& coder, const QString& key, T& field)
{
    const QVariant value = coder.decodeAny(key);
    if (value.metaType() != QMetaType::fromType<T>())
        return false;
    field = value.value<T>();
    return true;
}

void encodeGradient(KeyedArchiver& coder, const QString& key, const DFGradient& gradient);
void encodeDash(KeyedArchiver& coder, const QString& key, const DFStrokeDash& dash);

// Whether `owner` may take `part` in as its QObject child: the part exists,
// nothing owns it yet, and taking it would not make it its own ancestor.
// Damaged archives that share or nest records in a cycle fail this test.
bool canAdopt(const QObject* owner, const QObject* part);

// The drawable under `key`, taken in by `owner` as its QObject child: a
// framework record, or a bare Bézier path (what older files hold) as an
// image shape of that outline with the default style. Null when the key
// holds neither or the record is not free to take.
DFDrawable* readDrawable(KeyedUnarchiver& coder, const QString& key, QObject* owner);

// Adds the framework's object and value classes.
void registerDrawingClasses(ClassRegistry& registry);

} // namespace ql::df
