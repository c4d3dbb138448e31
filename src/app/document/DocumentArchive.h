// The document file: a keyed archive of the document's pages, master pages,
// notes and booklet flag written as four top-level entries, and the reader
// that restores them and re-links what the archive does not store.
#pragma once

#include "platform/Error.h"

#include <QByteArray>

namespace ql {

class Document;

class DocumentArchive {
public:
    static Result<QByteArray> write(const Document& document);
    // Reads the whole archive first; the document changes only when it was
    // readable throughout.
    static Status read(Document& document, const QByteArray& data);
};

} // namespace ql
