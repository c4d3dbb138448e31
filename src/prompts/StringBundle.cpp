#include "prompts/StringBundle.h"

#include "platform/archive/XmlPlistReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ql {

namespace {

const QString tableName = QStringLiteral("Localizable.strings");
constexpr qint64 maxTableBytes = 4 << 20;

// A table's texts; a missing, damaged or foreign file gives none.
void readTable(const QString& path, QHash<QString, QString>& into)
{
    QFile file(path);
    if (file.size() > maxTableBytes || !file.open(QIODevice::ReadOnly))
        return;
    ArchiveLimits limits;
    limits.maxBytes = maxTableBytes;
    limits.maxDepth = 4;
    const Result<PlistValue> list = readPropertyList(file.readAll(), limits);
    if (!list || list->type() != PlistValue::Type::Dictionary)
        return;
    for (const auto& [key, value] : list->toDictionary())
        if (value.type() == PlistValue::Type::String && !into.contains(key))
            into.insert(key, value.toString());
}

} // namespace

StringBundle::StringBundle(QString folder, QStringList languages)
    : m_folder(std::move(folder)), m_languages(std::move(languages))
{
}

StringBundle StringBundle::open(const QString& folder, const QStringList& languages)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    return StringBundle(QDir::cleanPath(folder), languages);
}

bool StringBundle::hasLocalization(const QString& language) const
{
    return isValid() && !language.isEmpty() && QFileInfo(m_folder + u'/' + language + QStringLiteral(".lproj")).isDir();
}

QString StringBundle::string(const QString& key, const QString& fallback) const
{
    return table().value(key, fallback);
}

const QHash<QString, QString>& StringBundle::table() const
{
    if (m_table)
        return *m_table;
    auto table = std::make_shared<QHash<QString, QString>>();
    if (isValid()) {
        // The first preferred language the folder has (or its base language),
        // else English; the top-level table fills in what that one lacks.
        QStringList candidates;
        for (const QString& language : m_languages)
            candidates << language << language.section(u'-', 0, 0);
        candidates << QStringLiteral("en") << QStringLiteral("Base");
        for (const QString& language : candidates) {
            if (hasLocalization(language)) {
                readTable(m_folder + u'/' + language + QStringLiteral(".lproj/") + tableName, *table);
                break;
            }
        }
        readTable(m_folder + u'/' + tableName, *table);
    }
    m_table = std::move(table);
    return *m_table;
}

} // namespace ql
