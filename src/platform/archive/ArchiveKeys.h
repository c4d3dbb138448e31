// A model class's archive as a table of keys: each key names the coder call
// that writes and reads it. With a property table (valueForKey and
// setValueForKey) behind them, encodeWithCoder and initWithCoder become one
// line each and a model class only declares its keys, in archive order.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace ql {

class KeyedArchiver;
class KeyedUnarchiver;

enum class ArchiveKind {
    Object,  // archived object: numbers keep their kind, nil stays nil
    Bool,
    Int32,
    Int64,   // the coder's integer
    Float,   // 32-bit real; read back as a float QVariant
    Double,
    Rect,
    Point,
    Size,
    Bytes,
};

struct ArchiveKey {
    QString key;
    ArchiveKind kind;
};

using ArchiveKeys = QList<ArchiveKey>;

// Writes every key, in order, with the value valueForKey gives.
void encodeKeys(KeyedArchiver& coder, const ArchiveKeys& keys, const std::function<QVariant(const QString&)>& valueForKey);

// Reads every key, in order, and hands each value to setValueForKey: a
// missing key gives the platform's answer of its kind (nil, NO, 0, zero
// rectangle). Values come as bool, int, qlonglong, float, double, QRectF,
// QPointF, QSizeF, QByteArray or the decoded object.
void decodeKeys(KeyedUnarchiver& coder, const ArchiveKeys& keys, const std::function<void(const QString&, const QVariant&)>& setValueForKey);

} // namespace ql
