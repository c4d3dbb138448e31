#include "app/output/PdfPictureSharing.h"

#include <QByteArrayView>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <utility>
#include <vector>

namespace ql {

namespace {

// The image's dictionary as text, less its length, which its data gives.
std::string description(QPDFObjectHandle image)
{
    QPDFObjectHandle dictionary = image.getDict().shallowCopy();
    dictionary.removeKey("/Length");
    return dictionary.unparse();
}

QByteArrayView bytesOf(const std::shared_ptr<Buffer>& buffer)
{
    if (!buffer || buffer->getSize() == 0)
        return {};
    return QByteArrayView(buffer->getBuffer(), qsizetype(buffer->getSize()));
}

} // namespace

void PdfPictureSharing::shareEqualPictures()
{
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(m_document).getAllPages())
        shareIn(page.getAttribute("/Resources", false));
}

void PdfPictureSharing::shareIn(QPDFObjectHandle resources)
{
    if (!resources.isDictionary())
        return;
    if (resources.isIndirect() && !m_visited.insert(resources.getObjGen()).second)
        return;
    // Forms and patterns draw with resources of their own, which may show pictures too.
    const auto drawsWithResources = [this](QPDFObjectHandle stream) {
        if (stream.isStream() && m_visited.insert(stream.getObjGen()).second)
            shareIn(stream.getDict().getKey("/Resources"));
    };
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (xobjects.isDictionary()) {
        std::vector<std::pair<std::string, QPDFObjectHandle>> replaced;
        for (auto [name, object] : xobjects.ditems()) {
            if (object.isImage(false)) {
                QPDFObjectHandle first = shared(object);
                if (first.getObjGen() != object.getObjGen())
                    replaced.emplace_back(name, first);
            } else if (object.isFormXObject()) {
                drawsWithResources(object);
            }
        }
        for (const auto& [name, first] : replaced)
            xobjects.replaceKey(name, first);
    }
    QPDFObjectHandle patterns = resources.getKey("/Pattern");
    if (patterns.isDictionary()) {
        for (auto [name, pattern] : patterns.ditems())
            drawsWithResources(pattern);
    }
}

QPDFObjectHandle PdfPictureSharing::shared(QPDFObjectHandle image)
{
    const QPDFObjGen id = image.getObjGen();
    if (const auto found = m_sharedOf.find(id); found != m_sharedOf.end())
        return found->second;
    // Itself until found otherwise: a mask that names its own image ends here.
    m_sharedOf.emplace(id, image);
    // Masks first, so that copies whose masks are copies of one mask compare equal.
    QPDFObjectHandle dictionary = image.getDict();
    for (const char* key : {"/SMask", "/Mask"}) {
        QPDFObjectHandle mask = dictionary.getKey(key);
        if (!mask.isStream())
            continue;
        QPDFObjectHandle first = shared(mask);
        if (first.getObjGen() != mask.getObjGen())
            dictionary.replaceKey(key, first);
    }
    const std::string text = description(image);
    const std::shared_ptr<Buffer> data = image.getRawStreamData();
    QList<QPDFObjectHandle>& alike = m_byContent[qHashMulti(0, QByteArrayView(text), bytesOf(data))];
    for (QPDFObjectHandle candidate : std::as_const(alike)) {
        if (description(candidate) == text && bytesOf(candidate.getRawStreamData()) == bytesOf(data)) {
            m_sharedOf[id] = candidate;
            return candidate;
        }
    }
    alike.append(image);
    return image;
}

} // namespace ql
