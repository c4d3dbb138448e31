#include "app/design/TextStyleSeeds.h"

#include "platform/archive/KeyedArchiver.h"
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
        KeyedArchiver archiver;
        const TextAttributes attributes {{TextAttribute::font, QVariant::fromValue(seed.font)}};
        archiver.encodeRootObject(QVariant(attributes));
        const Result<QByteArray> archived = archiver.finish();
        if (!archived) {
            qWarning().noquote() << "Text style" << seed.title << "could not be archived:" << archived.error().describe();
            continue;
        }
        styles.append(QVariantMap {
            {QStringLiteral("title"), seed.title},
            {QStringLiteral("attributes"), archived.value()},
        });
    }
    return styles;
}

} // namespace ql
