// Keeps a saved document as one of the user's templates: a byte-for-byte
// copy of its file, "NAME.qvleaf", and a JPEG of its first page (or of the
// first booklet sheet made from it), "NAME.jpg", in the templates folder.
// Both are made before either is written; a name in use is replaced only
// when the user says so.
#pragma once

#include <QString>

namespace ql {

class Document;
class Prompter;

class TemplateSaver {
public:
    enum class Outcome {
        Saved,
        // Nothing written: the name was empty, or the user kept the template
        // of that name; the sheet stays open.
        NotSaved,
        // Something could not be written; the user has been told.
        Failed,
    };

    TemplateSaver(Document& document, Prompter* prompter) : m_document(document), m_prompter(prompter) {}

    // The document must have been saved to its file.
    Outcome saveTemplateNext(const QString& name);

private:
    void alert(const QString& message, const QString& informative, const QStringList& buttons = {}) const;

    Document& m_document;
    Prompter* m_prompter;
};

} // namespace ql
