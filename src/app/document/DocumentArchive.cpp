#include "app/document/DocumentArchive.h"

#include "app/document/Document.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

namespace ql {

namespace {

const QString kPagesKey = QStringLiteral("pages");
const QString kMasterPagesKey = QStringLiteral("masterPages");
const QString kNotesKey = QStringLiteral("notes");
const QString kFormatAsBookletKey = QStringLiteral("formatAsBooklet");

const ClassRegistry& documentClasses()
{
    static const ClassRegistry registry = ClassRegistry::withPlatformValues();
    return registry;
}

} // namespace

Result<QByteArray> DocumentArchive::write(const Document& document)
{
    KeyedArchiver archiver;
    archiver.encodeObject(kNotesKey, QVariant::fromValue(document.notes()));
    archiver.encodeBool(kFormatAsBookletKey, document.formatAsBooklet());
    return archiver.finish();
}

Status DocumentArchive::read(Document& document, const QByteArray& data)
{
    KeyedUnarchiver unarchiver(documentClasses());
    if (Status opened = unarchiver.open(data); !opened)
        return opened;
    const bool booklet = unarchiver.decodeBool(kFormatAsBookletKey);
    const AttributedString notes = unarchiver.decodeValueOfType<AttributedString>(kNotesKey);
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded)
        return decoded.error();

    document.setFormatAsBooklet(booklet);
    document.setNotes(notes);
    return {};
}

} // namespace ql
