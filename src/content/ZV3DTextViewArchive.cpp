#include "canvas/ModelArchive.h"
#include "content/ArchivedClassChains.h"
#include "content/ZV3DTextView.h"
#include "content/scene3d/PointOfViewArchive.h"
#include "platform/archive/ArchiveFields.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

const ql::fields::Record<ZV3DTextView>& ZV3DTextView::archiveRecord()
{
    using V = ZV3DTextView;
    static const auto keys =
        ql::fields::Record<V>()
            .value<ql::Gradient>("gradient", &V::m_gradient)
            .number("gradientAngle", &V::m_gradientAngle)
            .number("gradientType", &V::m_gradientType)
            .boolean("innerShadowEnabled", &V::m_innerShadowEnabled)
            .rect("frame", &V::m_frame)
            .string("string", &V::m_string)
            .number("fontSize", &V::m_fontSize)
            .number("extrusionDepth", &V::m_extrusionDepth)
            .number("chamferRadius", &V::m_chamferRadius)
            .string("fontFamily", &V::m_fontFamily)
            .value<ql::Color>("frontColor", &V::m_frontColor)
            .value<ql::Color>("sideColor", &V::m_sideColor)
            .boolean("isShiny", &V::m_isShiny)
            .custom(
                "pointOfView",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    ql::scene3d::encodePointOfView(coder, key, view.pointOfView());
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    view.setPointOfView(ql::scene3d::decodePointOfView(coder, key));
                });
    return keys;
}

QStringList ZV3DTextView::archiveClassChain() const
{
    return ql::fields::viewClassChain(QStringLiteral("ZV3DTextView"), {QStringLiteral("SCNView")});
}

void ZV3DTextView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZV3DTextView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // Values are read into place, then the text is built once: a view being
    // read belongs to no document yet and records nothing.
    const UnrecordedChanges quiet(*this);
    static const auto settings = [] {
        QStringList names = archiveRecord().keyNames();
        names.removeAll(QStringLiteral("pointOfView"));
        return archiveRecord().inOrder(names);
    }();
    static const auto pointOfView = archiveRecord().inOrder({QStringLiteral("pointOfView")});
    settings.decode(*this, coder);
    updateString();
    updateFontSize();
    // Last, so that a view turned in edit mode comes back turned.
    pointOfView.decode(*this, coder);
    layout();
}

std::unique_ptr<ZV3DTextView> ZV3DTextView::copy() const
{
    return ql::canvas::copyThroughArchive(this);
}
