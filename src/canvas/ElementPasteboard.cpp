#include "canvas/ElementPasteboard.h"

#include "design/BuildIdentity.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/TextEditor.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/FontResolver.h"
#include "platform/Uuid.h"
#include "platform/object/ValueKind.h"

#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QSet>
#include <QTextDocument>

namespace ql {

PasteboardContents::PasteboardContents() = default;
PasteboardContents::PasteboardContents(PasteboardContents&&) noexcept = default;
PasteboardContents& PasteboardContents::operator=(PasteboardContents&&) noexcept = default;
PasteboardContents::~PasteboardContents() = default;

namespace {

// The copied texts as one, a paragraph each.
AttributedString joinedTexts(const QList<AttributedString>& texts)
{
    AttributedString joined;
    for (const AttributedString& text : texts) {
        if (!joined.isEmpty())
            joined.append(QStringLiteral("\n"), joined.attributesAt(joined.length() - 1));
        joined.append(text);
    }
    return joined;
}

} // namespace

QString ElementPasteboard::elementType()
{
    return identity::mainBundleIdentifier();
}

std::unique_ptr<QMimeData> ElementPasteboard::mimeData(const PasteboardContents& contents)
{
    auto data = std::make_unique<QMimeData>();
    if (!contents.elements.empty()) {
        QList<const ZVPuttyView*> elements;
        for (const std::unique_ptr<ZVPuttyView>& element : contents.elements)
            elements.append(element.get());
        if (const QByteArray archive = archiveElements(elements); !archive.isEmpty())
            data->setData(elementType(), archive);
    }
    if (!contents.texts.isEmpty()) {
        const AttributedString text = joinedTexts(contents.texts);
        KeyedArchiver styled;
        styled.encodeRootObject(QVariant::fromValue(text));
        if (Result<QByteArray> archive = styled.finish())
            data->setData(text::TextEditor::styledTextMimeType(), *archive);
        QTextDocument document;
        text::setAttributedString(document, text);
        data->setHtml(document.toHtml());
        data->setText(text.string());
    }
    for (const Image& image : contents.images) {
        if (const QImage bitmap = image.bitmap(); !bitmap.isNull()) {
            data->setImageData(bitmap);
            break;
        }
    }
    return data;
}

PasteboardContents ElementPasteboard::read(const QMimeData& data)
{
    PasteboardContents contents;
    // Our elements win over their companions and anything else.
    if (data.hasFormat(elementType())) {
        contents.elements = readElements(data.data(elementType()));
        if (!contents.elements.empty())
            return contents;
    }
    if (data.hasImage()) {
        const QImage bitmap = qvariant_cast<QImage>(data.imageData());
        if (!bitmap.isNull()) {
            contents.images.append(Image(bitmap));
            return contents;
        }
    }
    if (data.hasText() && !data.text().isEmpty())
        contents.texts.append(AttributedString(data.text()));
    return contents;
}

QByteArray ElementPasteboard::archiveElements(const QList<const ZVPuttyView*>& elements)
{
    QVariantList list;
    for (const ZVPuttyView* element : elements)
        list.append(QVariant::fromValue(const_cast<QObject*>(static_cast<const QObject*>(element))));
    KeyedArchiver archiver;
    archiver.encodeRootObject(list);
    Result<QByteArray> archive = archiver.finish();
    return archive ? *archive : QByteArray();
}

std::vector<std::unique_ptr<ZVPuttyView>> ElementPasteboard::readElements(QByteArrayView archive)
{
    // Their texts may name fonts by the hundred thousand (see readElement).
    const FontResolver::AliasBudget fontLookups;
    KeyedUnarchiver unarchiver(canvas::elementClassRegistry());
    if (!unarchiver.open(archive))
        return {};
    const QVariant root = unarchiver.decodeRootObject();
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded || root.metaType() != QMetaType::fromType<QVariantList>())
        return {};
    QList<ZVPuttyView*> listed;
    for (const QVariant& item : root.toList()) {
        auto* element = qobject_cast<ZVPuttyView*>(objectFromVariant(item));
        if (!element || listed.contains(element))
            return {}; // the decoded objects go with `decoded`
        listed.append(element);
    }
    if (listed.isEmpty())
        return {};
    // Whatever no element took in (records of layers and groups) stays with
    // the first element, so that it lives as long as the copies refer to it.
    QObject holder;
    for (ZVPuttyView* element : std::as_const(listed))
        element->setParent(&holder);
    decoded->adoptAll(listed.constFirst());
    std::vector<std::unique_ptr<ZVPuttyView>> elements;
    for (ZVPuttyView* element : std::as_const(listed)) {
        element->setParent(nullptr);
        elements.emplace_back(element);
    }
    return elements;
}

std::unique_ptr<ZVPuttyView> ElementPasteboard::readElement(QByteArrayView archive)
{
    // Fonts the texts name that the machine lacks cost a fontconfig look-up
    // each as the texts are read.
    const FontResolver::AliasBudget fontLookups;
    Result<std::unique_ptr<ZVPuttyView>> element =
        canvas::unarchiveRootObject<ZVPuttyView>(archive, canvas::elementClassRegistry());
    return element ? std::move(*element) : nullptr;
}

void ElementPasteboard::giveNewIdentities(const QList<ZVPuttyView*>& copies)
{
    QHash<QString, QString> renamed;
    for (ZVPuttyView* copy : copies) {
        const QString fresh = newUuidString();
        renamed.insert(copy->uuid(), fresh);
        copy->setUuid(fresh);
        copy->setLayoutLayerGroup(nullptr);
    }
    // The copies' own members of a record, under their new identities, each once.
    const auto copiedMembers = [&renamed](const ZVPuttyViewGroup* record) {
        QStringList members;
        for (const QString& uuid : record->groupedViews()) {
            if (const QString fresh = renamed.value(uuid); !fresh.isEmpty() && !members.contains(fresh))
                members.append(fresh);
        }
        return members;
    };
    QSet<ZVPuttyViewGroup*> groups;
    for (const ZVPuttyView* copy : copies) {
        if (ZVPuttyViewGroup* group = copy->group())
            groups.insert(group);
    }
    for (ZVPuttyViewGroup* group : std::as_const(groups)) {
        const QStringList members = copiedMembers(group);
        if (members.size() >= 2) {
            group->setGroupedViews(members);
            continue;
        }
        for (ZVPuttyView* copy : copies) {
            if (copy->group() == group)
                copy->setGroup(nullptr);
        }
    }
    // Boxes copied together from one chain stay chained among themselves; a
    // box copied without the rest stands alone with all of the chain's text.
    QSet<ZVPuttyViewGroup*> chains;
    for (const ZVPuttyView* copy : copies) {
        if (ZVPuttyViewGroup* chain = copy->textGroup(); chain && !groups.contains(chain))
            chains.insert(chain);
    }
    QHash<ZVPuttyViewGroup*, QStringList> kept;
    for (ZVPuttyViewGroup* chain : std::as_const(chains)) {
        if (const QStringList members = copiedMembers(chain); members.size() >= 2) {
            chain->setGroupedViews(members);
            kept.insert(chain, members);
        }
    }
    for (ZVPuttyView* copy : copies) {
        if (kept.value(copy->textGroup()).contains(copy->uuid()))
            continue;
        copy->setTextGroup(nullptr);
        if (auto* text = qobject_cast<ZVTextView*>(copy->contentView()))
            text->keepOwnCopyOfText();
    }
}

} // namespace ql
