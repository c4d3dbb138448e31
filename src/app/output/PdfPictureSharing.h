// Equal pictures of a PDF kept once. The PDF writer knows a picture again
// only while its pixels are held, and photos are let go of between pages to
// keep memory bounded: a photo drawn again after many others comes back as
// another image object with the same dictionary and data. Every page, form
// and pattern that shows such a copy is made to show the first one, and the
// copies are left for the PDF's writer to drop as unused.
#pragma once

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QHash>
#include <QList>
#include <map>
#include <set>

class QPDF;

namespace ql {

class PdfPictureSharing {
public:
    explicit PdfPictureSharing(QPDF& document) : m_document(document) {}
    PdfPictureSharing(const PdfPictureSharing&) = delete;
    PdfPictureSharing& operator=(const PdfPictureSharing&) = delete;

    // Every page shows the first of each set of equal pictures.
    void shareEqualPictures();

private:
    void shareIn(QPDFObjectHandle resources);
    // The first image object equal to `image`, `image` itself when it is the first.
    QPDFObjectHandle shared(QPDFObjectHandle image);

    QPDF& m_document;
    // Images by a hash of their dictionary and data; images of equal
    // hashes are compared in full before they are taken as one.
    QHash<size_t, QList<QPDFObjectHandle>> m_byContent;
    std::map<QPDFObjGen, QPDFObjectHandle> m_sharedOf;
    std::set<QPDFObjGen> m_visited;
};

} // namespace ql
