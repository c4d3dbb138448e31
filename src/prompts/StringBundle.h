// A folder of string tables: "Localizable.strings" (a property-list
// dictionary) at its top and in one "<language>.lproj" folder per language.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace ql {

class StringBundle {
public:
    StringBundle() = default;
    // `languages` are the preferred ones, first first; they pick the table
    // when the folder holds several.
    StringBundle(QString folder, QStringList languages);

    bool isValid() const { return !m_folder.isEmpty(); }
    const QString& folder() const { return m_folder; }
    bool hasLocalization(const QString& language) const;

    // The table's text for `key`, or `fallback` when no table has it.
    QString string(const QString& key, const QString& fallback) const;

    // The bundle at `folder`, or an invalid one when no folder is there.
    static StringBundle open(const QString& folder, const QStringList& languages);

private:
    const QHash<QString, QString>& table() const;

    QString m_folder;
    QStringList m_languages;
    mutable std::shared_ptr<const QHash<QString, QString>> m_table;
};

} // namespace ql
