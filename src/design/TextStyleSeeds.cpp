#include "design/TextStyleSeeds.h"

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/AttributedString.h"

#include <QCoreApplication>
#include <QDebug>

namespace ql {

namespace {

struct Seed {
    const char* title;
    const char* font;
    double size;
};

constexpr Seed seeds[] = {
    {QT_TRANSLATE_NOOP("Localizable", "Normal"), "Helvetica", 14},
    {QT_TRANSLATE_NOOP("Localizable", "Title"), "Helvetica", 32},
    {QT_TRANSLATE_NOOP("Localizable", "Subtitle"), "HelveticaNeue-Italic", 24},
    {QT_TRANSLATE_NOOP("Localizable", "Header 1"), "Helvetica", 19},
    {QT_TRANSLATE_NOOP("Localizable", "Header 2"), "Helvetica", 16},
    {QT_TRANSLATE_NOOP("Localizable", "Header 3"), "HelveticaNeue-Bold", 16},
    {QT_TRANSLATE_NOOP("Localizable", "Caption"), "HelveticaNeue-Italic", 11},
};

} // namespace

QList<TextStyleSeed> textStyleSeeds()
{
    QList<TextStyleSeed> result;
    for (const Seed& seed : seeds)
        result.append({QCoreApplication::translate("Localizable", seed.title), Font(QString::fromLatin1(seed.font), seed.size)});
    return result;
}

QVariantList seededTextStyles()
{
    QVariantList styles;
    for (const TextStyleSeed& seed : textStyleSeeds()) {
        const QVariantMap style = textStyle(seed.title, seed.font);
        if (!style.isEmpty())
            styles.append(style);
    }
    return styles;
}

QVariantMap textStyle(const QString& title, const Font& font)
{
    KeyedArchiver archiver;
    const TextAttributes attributes {{TextAttribute::font, QVariant::fromValue(font)}};
    archiver.encodeRootObject(QVariant(attributes));
    const Result<QByteArray> archived = archiver.finish();
    if (!archived) {
        qWarning().noquote() << "Text style" << title << "could not be archived:" << archived.error().describe();
        return {};
    }
    return {{QStringLiteral("title"), title}, {QStringLiteral("attributes"), archived.value()}};
}

std::optional<Font> fontOfTextStyle(const QVariant& style)
{
    const QVariant data = style.toMap().value(QStringLiteral("attributes"));
    if (data.metaType() != QMetaType::fromType<QByteArray>())
        return std::nullopt;
    static const ClassRegistry registry = ClassRegistry::withPlatformValues();
    KeyedUnarchiver unarchiver(registry);
    if (!unarchiver.open(data.toByteArray()))
        return std::nullopt;
    const QVariant root = unarchiver.decodeRootObject();
    if (!unarchiver.finish())
        return std::nullopt;
    const QVariant font = root.toMap().value(TextAttribute::font);
    if (font.metaType() != QMetaType::fromType<Font>())
        return std::nullopt;
    return font.value<Font>();
}

} // namespace ql
