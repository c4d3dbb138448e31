#include "prompts/StoredValues.h"

#include "platform/runtime/UserDefaults.h"

namespace ql {

QDateTime storedDate(const UserDefaults& defaults, const QString& key)
{
    const QVariant value = defaults.objectForKey(key);
    return value.typeId() == QMetaType::QDateTime ? value.toDateTime() : QDateTime();
}

void setStoredDate(UserDefaults& defaults, const QString& key, const QDateTime& date)
{
    if (date.isValid())
        defaults.setObject(key, date);
    else
        defaults.removeObjectForKey(key);
}

std::optional<QString> storedText(const UserDefaults& defaults, const QString& key)
{
    const QVariant value = defaults.objectForKey(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void setStoredText(UserDefaults& defaults, const QString& key, const std::optional<QString>& text)
{
    if (text)
        defaults.setObject(key, *text);
    else
        defaults.removeObjectForKey(key);
}

double secondsBetween(const QDateTime& date, const QDateTime& now)
{
    return date.isValid() ? double(date.msecsTo(now)) / 1000.0 : 0.0;
}

} // namespace ql
