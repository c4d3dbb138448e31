#include "design/ZVDesignHelper.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/AttributedString.h"
#include "platform/runtime/UserDefaults.h"
#include "util/ValueTransformer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using ql::ZVDesignHelper;

namespace {

ql::Font archivedFont(const QByteArray& data)
{
    const ql::ClassRegistry registry = ql::ClassRegistry::withPlatformValues();
    ql::KeyedUnarchiver reader(registry);
    const ql::Status opened = reader.open(data);
    EXPECT_TRUE(opened.ok()) << (opened.ok() ? "" : opened.error().describe().toStdString());
    const QVariant root = reader.decodeRootObject();
    const auto done = reader.finish();
    EXPECT_TRUE(done.ok()) << (done.ok() ? "" : done.error().describe().toStdString());
    EXPECT_EQ(root.typeName(), std::string("QVariantMap"));
    const QVariantMap attributes = root.toMap();
    if (attributes.size() != 1)
        return {};
    return attributes.value(ql::TextAttribute::font).value<ql::Font>();
}

void runSetDefaults(const QString& storePath)
{
    ql::UserDefaults defaults(storePath);
    ql::ValueTransformerRegistry registry;
    ZVDesignHelper(defaults, registry, QStringLiteral("org.example.test")).setDefaults();
}

} // namespace

TEST(TextStyleSeeds, SevenStylesAreSeededWhenMissingAndAnEmptyListStays)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("defaults.store"));
    runSetDefaults(store);

    QVariantList styles = ql::UserDefaults(store).arrayForKey(QStringLiteral("textStyles"));
    ASSERT_EQ(styles.size(), 7);
    const QList<std::tuple<QString, QString, double>> expected {
        {QStringLiteral("Normal"), QStringLiteral("Helvetica"), 14},
        {QStringLiteral("Title"), QStringLiteral("Helvetica"), 32},
        {QStringLiteral("Subtitle"), QStringLiteral("HelveticaNeue-Italic"), 24},
        {QStringLiteral("Header 1"), QStringLiteral("Helvetica"), 19},
        {QStringLiteral("Header 2"), QStringLiteral("Helvetica"), 16},
        {QStringLiteral("Header 3"), QStringLiteral("HelveticaNeue-Bold"), 16},
        {QStringLiteral("Caption"), QStringLiteral("HelveticaNeue-Italic"), 11},
    };
    for (qsizetype i = 0; i < styles.size(); ++i) {
        const QVariantMap style = styles[i].toMap();
        const auto& [title, font, size] = expected[i];
        EXPECT_EQ(style.value(QStringLiteral("title")).toString(), title);
        const ql::Font decoded = archivedFont(style.value(QStringLiteral("attributes")).toByteArray());
        EXPECT_EQ(decoded.postScriptName(), font) << title.toStdString();
        EXPECT_EQ(decoded.pointSize(), size) << title.toStdString();
    }

    // An independent reader sees a keyed archive naming the font.
    const QString archivePath = dir.filePath(QStringLiteral("caption.archive"));
    QFile archive(archivePath);
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    archive.write(styles.last().toMap().value(QStringLiteral("attributes")).toByteArray());
    archive.close();
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"),
        QStringLiteral("import plistlib,sys; p=plistlib.load(open(sys.argv[1],'rb')); "
                       "print(p['$archiver'], 'HelveticaNeue-Italic' in p['$objects'])"),
        archivePath});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), QByteArray("NSKeyedArchiver True"));

    // Removed while the program is closed: seeded again. Emptied: stays empty.
    ql::UserDefaults(store).removeObjectForKey(QStringLiteral("textStyles"));
    runSetDefaults(store);
    EXPECT_EQ(ql::UserDefaults(store).arrayForKey(QStringLiteral("textStyles")).size(), 7);
    ql::UserDefaults(store).setObject(QStringLiteral("textStyles"), QVariantList());
    runSetDefaults(store);
    EXPECT_TRUE(ql::UserDefaults(store).objectForKey(QStringLiteral("textStyles")).isValid());
    EXPECT_TRUE(ql::UserDefaults(store).arrayForKey(QStringLiteral("textStyles")).isEmpty());
}
