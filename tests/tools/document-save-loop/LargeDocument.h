// The large document the kill-during-save test saves over and over.
#pragma once

namespace ql {
class Document;
}

namespace ql::tools {

inline constexpr int kLargeDocumentPages = 12;

// Fills the document with enough content that saving it takes a while.
void fillLargeDocument(Document& document);
// Marks the document as a version: its notes start with "version N".
void setVersion(Document& document, int version);

} // namespace ql::tools
