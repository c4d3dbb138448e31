// How platform values are written into a keyed archive; the layouts are
// described in docs/file-format.md.
#pragma once

#include "platform/archive/PlistValue.h"

#include <QVariant>
#include <optional>

namespace ql {

class AttributedString;
class KeyedArchiver;

// Strings, booleans, integers, 32-bit floats, doubles and data map straight
// onto property-list values; nullopt for anything else.
std::optional<PlistValue> primitiveFromVariant(const QVariant& value);

// Writes a record for a platform value and returns its reference; nullopt
// when the value's type has no archived form.
std::optional<PlistValue> encodePlatformValue(KeyedArchiver& archiver, const QVariant& value);

// The keys of an attributed-string record, written into the current record
// (for classes that store their text the same way).
void encodeAttributedStringKeys(KeyedArchiver& archiver, const AttributedString& text);

// A key that equal immutable values share (colours, fonts, geometry
// values), so that the archiver writes each once; empty for other values.
QByteArray valueFingerprint(const QVariant& value);

// The class names and key names of the archived value records.
namespace ArchivedClass {
inline const QStringList array {QStringLiteral("NSMutableArray"), QStringLiteral("NSArray"), QStringLiteral("NSObject")};
inline const QStringList dictionary {QStringLiteral("NSMutableDictionary"), QStringLiteral("NSDictionary"), QStringLiteral("NSObject")};
inline const QStringList set {QStringLiteral("NSMutableSet"), QStringLiteral("NSSet"), QStringLiteral("NSObject")};
inline const QStringList null {QStringLiteral("NSNull"), QStringLiteral("NSObject")};
inline const QStringList value {QStringLiteral("NSValue"), QStringLiteral("NSObject")};
inline const QStringList date {QStringLiteral("NSDate"), QStringLiteral("NSObject")};
inline const QStringList url {QStringLiteral("NSURL"), QStringLiteral("NSObject")};
inline const QStringList color {QStringLiteral("NSColor"), QStringLiteral("NSObject")};
inline const QStringList font {QStringLiteral("NSFont"), QStringLiteral("NSObject")};
inline const QStringList paragraphStyle {QStringLiteral("NSMutableParagraphStyle"), QStringLiteral("NSParagraphStyle"), QStringLiteral("NSObject")};
inline const QStringList textTab {QStringLiteral("NSTextTab"), QStringLiteral("NSObject")};
inline const QStringList attributedString {QStringLiteral("NSAttributedString"), QStringLiteral("NSObject")};
inline const QStringList image {QStringLiteral("NSImage"), QStringLiteral("NSObject")};
inline const QStringList bezierPath {QStringLiteral("NSBezierPath"), QStringLiteral("NSObject")};
inline const QStringList gradient {QStringLiteral("NSGradient"), QStringLiteral("NSObject")};
inline const QStringList rulerMarker {QStringLiteral("NSRulerMarker"), QStringLiteral("NSObject")};
} // namespace ArchivedClass

// NSValue kinds under "NS.special".
enum class ArchivedValueKind { Point = 1, Size = 2, Rect = 3 };

// Colour spaces under "NSColorSpace".
enum class ArchivedColorSpace { CalibratedRGB = 1, DeviceRGB = 2, CalibratedWhite = 3, DeviceWhite = 4, DeviceCMYK = 5, Named = 6 };

// Path element codes in the "elements" data of a Bézier path.
enum class ArchivedPathElement : quint8 { MoveTo = 0, LineTo = 1, CurveTo = 2, ClosePath = 3 };

} // namespace ql
