#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>

namespace ql {

namespace {

thread_local const PictureConversionScope* t_innermost = nullptr;

} // namespace

PictureConversionScope::PictureConversionScope(const QObject* document, const QPaintDevice* screen)
    : m_document(document), m_screen(screen), m_outer(t_innermost)
{
    t_innermost = this;
}

PictureConversionScope::~PictureConversionScope()
{
    t_innermost = m_outer;
}

const QObject* PictureConversionScope::document()
{
    return t_innermost ? t_innermost->m_document : nullptr;
}

bool PictureConversionScope::mayShowPlaceholder(const QPainter& painter)
{
    return screen() && painter.device() == screen();
}

const QPaintDevice* PictureConversionScope::screen()
{
    return t_innermost ? t_innermost->m_screen : nullptr;
}

} // namespace ql
