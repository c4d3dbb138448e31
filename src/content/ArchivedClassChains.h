// The archived class chains ("$classes") of the page, element and content
// records. They name the classes the document format has always named,
// ancestors included; keep them when classes are renamed in code.
#pragma once

#include <QStringList>

namespace ql::fields {

// A view class of ours above the given platform view ancestors.
inline QStringList viewClassChain(const QString& name, const QStringList& ancestors)
{
    return QStringList {name} + ancestors + QStringList {QStringLiteral("NSView"), QStringLiteral("NSResponder"),
                                                         QStringLiteral("NSObject")};
}

inline QStringList flippedViewChain(const QString& name)
{
    return viewClassChain(name, {QStringLiteral("ZVFlippedView")});
}

inline QStringList imageViewChain(const QStringList& names)
{
    return names + QStringList {QStringLiteral("ZVImageView"), QStringLiteral("NSImageView"), QStringLiteral("NSControl"),
                                QStringLiteral("NSView"), QStringLiteral("NSResponder"), QStringLiteral("NSObject")};
}

} // namespace ql::fields
