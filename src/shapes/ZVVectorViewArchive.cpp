#include "canvas/ModelArchive.h"
#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "shapes/ZVVectorView.h"

const ql::fields::Record<ZVVectorView>& ZVVectorView::archiveRecord()
{
    using V = ZVVectorView;
    static const auto keys = ql::fields::Record<V>()
        .custom("shapeName",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, view.shapeName().isNull() ? QVariant() : QVariant(view.shapeName()));
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    QString name;
                    if (ql::fields::readString(coder, key, name))
                        view.setShapeName(name);
                })
        .custom("shape",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, QVariant::fromValue(view.shape()));
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const QVariant value = ql::fields::readRaw(coder, key);
                    if (value.metaType() == QMetaType::fromType<ql::BezierPath>())
                        view.m_shape = value.value<ql::BezierPath>();
                })
        .custom("backgroundView",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, view.backgroundView());
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    view.setBackgroundView(ql::fields::readPart<ZVBackgroundView>(coder, key));
                })
        .point("imageOrigin", &V::m_imageOrigin)
        .custom("backgroundOffset",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, QVariant(view.backgroundOffset()));
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const QVariant value = ql::fields::readRaw(coder, key);
                    if (value.typeId() == QMetaType::QPointF)
                        view.m_backgroundOffset = value.toPointF();
                });
    return keys;
}

QStringList ZVVectorView::archiveClassChain() const
{
    return ql::fields::imageViewChain({QStringLiteral("ZVVectorView")});
}

void ZVVectorView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    ZVImageView::encodeWithCoder(coder);
    archiveRecord().encode(*this, coder);
}

void ZVVectorView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    ZVImageView::initWithCoder(coder);
    archiveRecord().decode(*this, coder);
    m_backgroundView->setVectorBacking(true);
}

std::unique_ptr<ZVVectorView> ZVVectorView::copy() const
{
    return ql::canvas::copyThroughArchive(this);
}
