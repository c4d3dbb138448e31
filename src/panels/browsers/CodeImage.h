// The pictures the code browser makes: a QR code (level L, the smallest
// version that holds the text) 1000 pixels square, or an EAN-13, EAN-8 or
// UPC-E barcode at bar scale 20, each on a transparent ground.
#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QStringList>

namespace ql {

enum class CodeKind { QR = 0, EAN13, EAN8, UPCE };

// The kinds' names, in CodeKind order.
QStringList codeKindTitles();
// The picture of `text`, or why there is none (the text does not fit the
// kind). Empty text fails with an empty message.
Result<QImage> codeImage(CodeKind kind, const QString& text);

} // namespace ql
