// Reading and writing the prompts' user-defaults values: each write is
// synchronised at once, and an absent or wrong-kind value reads as none.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace ql {

class UserDefaults;

QDateTime storedDate(const UserDefaults& defaults, const QString& key);
// An invalid date removes the key.
void setStoredDate(UserDefaults& defaults, const QString& key, const QDateTime& date);
std::optional<QString> storedText(const UserDefaults& defaults, const QString& key);
// None removes the key.
void setStoredText(UserDefaults& defaults, const QString& key, const std::optional<QString>& text);

// Seconds from `date` to `now`; 0 for an invalid date.
double secondsBetween(const QDateTime& date, const QDateTime& now);

} // namespace ql
