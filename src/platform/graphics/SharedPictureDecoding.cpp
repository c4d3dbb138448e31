#include "platform/graphics/SharedPictureDecoding.h"

namespace ql {

namespace {
thread_local SharedPictureDecoding* t_innermost = nullptr;
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
    if (auto found = scope->m_images.constFind(data); found != scope->m_images.constEnd())
        return *found;
    Image image = decode();
    scope->m_images.insert(data, image);
    return image;
}

} // namespace ql
