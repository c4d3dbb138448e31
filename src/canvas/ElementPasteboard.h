// Elements on the clipboard and in drags. Our own copies travel as one keyed
// archive whose root is the list of copied elements, under a type named after
// the program's bundle identifier; next to it go, for other programs, the
// copied texts as plain text, HTML and our styled text, and the first copied
// picture as image data. Reading takes our elements when there are any, else
// a picture, else plain text. Archives from outside are read with the checked
// unarchiver and may hold element classes only.
#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <memory>
#include <vector>

class QMimeData;
class ZVPuttyView;

namespace ql {

// What a copy puts on the clipboard, or what a paste found there.
struct PasteboardContents {
    std::vector<std::unique_ptr<ZVPuttyView>> elements;
    // Companions of the copied elements: their texts and pictures in order.
    QList<AttributedString> texts;
    QList<Image> images;

    PasteboardContents();
    PasteboardContents(PasteboardContents&&) noexcept;
    PasteboardContents& operator=(PasteboardContents&&) noexcept;
    ~PasteboardContents();
    bool isEmpty() const { return elements.empty() && texts.isEmpty() && images.isEmpty(); }
};

class ElementPasteboard {
public:
    // The type of our element list: the bundle identifier.
    static QString elementType();
    // One element dragged out of the holding area.
    static QString draggedElementType() { return QStringLiteral("ZVPuttyView"); }
    // Marks the text browser's sample: dropped, it becomes a box that asks to
    // be edited instead of keeping the sample's words.
    static QString sampleTextType() { return QStringLiteral("application/x-quiverleaf-sample-text"); }

    // The clipboard's data for the contents; the elements are archived as
    // they are.
    static std::unique_ptr<QMimeData> mimeData(const PasteboardContents& contents);
    static PasteboardContents read(const QMimeData& data);

    // The archive of an element list, and the elements read back from one;
    // nothing unless the root is a list of elements and nothing else. Layer,
    // group and chain records the elements share are written once, so their
    // copies share them too.
    static QByteArray archiveElements(const QList<const ZVPuttyView*>& elements);
    static std::vector<std::unique_ptr<ZVPuttyView>> readElements(QByteArrayView archive);
    // One element as a drag carries it; null unless the root is an element.
    static std::unique_ptr<ZVPuttyView> readElement(QByteArrayView archive);

    // Makes copies strangers to what they copy: each gets a fresh UUID and
    // leaves its layer and text chain; a group they share lists the copies
    // instead of the originals, and a group left with fewer than two of them
    // is dropped.
    static void giveNewIdentities(const QList<ZVPuttyView*>& copies);
};

} // namespace ql
