// While one is open, pictures read from stored bytes are decoded once per
// distinct bytes and the decoded image is shared (images are implicitly
// shared values): a document that shows one photo on twenty pages decodes
// it once and holds its pixels once. Scopes nest and hold for the thread
// that opens them; the decoded images live on in their holders after it.
#pragma once

#include "platform/graphics/Image.h"

#include <QByteArray>
#include <QHash>
#include <functional>

namespace ql {

class SharedPictureDecoding {
public:
    SharedPictureDecoding();
    ~SharedPictureDecoding();
    SharedPictureDecoding(const SharedPictureDecoding&) = delete;
    SharedPictureDecoding& operator=(const SharedPictureDecoding&) = delete;

    // The image `decode` makes of `data`, decoded at most once within the
    // outermost open scope; outside any scope, decoded each time.
    static Image decoded(const QByteArray& data, const std::function<Image()>& decode);

private:
    // Keyed by the bytes themselves: the hash finds them, the comparison
    // makes sure that equal hashes of different pictures never mix.
    QHash<QByteArray, Image> m_images;
    // Bytes met before, by where they lie: a reader that hands out one copy
    // of a picture for every element showing it is answered without hashing
    // or comparing the picture again. Each entry holds its bytes, so their
    // place cannot be taken by other bytes while the scope lives.
    QHash<const char*, std::pair<QByteArray, Image>> m_byPlace;
    SharedPictureDecoding* m_outer;
};

} // namespace ql
