#include "platform/graphics/SharedPictureDecoding.h"

namespace ql {

namespace {
thread_local SharedPictureDecoding* t_innermost = nullptr;

// The block that owns the bytes; null for raw data borrowed from elsewhere.
// Reading the pointer does not detach.
const void* blockOf(const QByteArray& bytes)
{
    return const_cast<QByteArray&>(bytes).data_ptr().d_ptr();
}
}

SharedPictureDecoding::SharedPictureDecoding() : m_outer(t_innermost)
{
    t_innermost = this;
}

SharedPictureDecoding::~SharedPictureDecoding()
{
    t_innermost = m_outer;
}

Image SharedPictureDecoding::decoded(const QByteArray& data, const std::function<Image()>& decode)
{
    SharedPictureDecoding* scope = t_innermost;
    if (!scope)
        return decode();
    while (scope->m_outer)
        scope = scope->m_outer;
    const void* block = blockOf(data);
    if (block) {
        if (auto met = scope->m_byPlace.constFind(data.constData()); met != scope->m_byPlace.constEnd()
            && blockOf(met->first) == block && met->first.size() == data.size())
            return met->second;
    }
    Image image;
    if (auto found = scope->m_images.constFind(data); found != scope->m_images.constEnd()) {
        image = *found;
    } else {
        image = decode();
        scope->m_images.insert(data, image);
    }
    if (block)
        scope->m_byPlace.insert(data.constData(), {data, image});
    return image;
}

} // namespace ql
