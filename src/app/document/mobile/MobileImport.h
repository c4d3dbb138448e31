// Imports a mobile-edition design: one page with the design's size,
// background and drawing, and one element per record, in a new layer.
#pragma once

#include "platform/Error.h"

#include <QByteArray>

namespace ql {

class Document;

class MobileImport {
public:
    // The document becomes untitled and gets the page as its only content
    // page. An unreadable design is refused and changes nothing.
    static Status read(Document& document, const QByteArray& data);
};

} // namespace ql
