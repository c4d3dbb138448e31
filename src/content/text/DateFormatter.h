// Formats dates with a Unicode date pattern ("MMMM d, yyyy", "h:mm a") for
// a locale, through ICU. A date field keeps one and sets its pattern before
// each use. The clock it reads "now" from and the locale can be replaced,
// so that a field's text can be checked at a fixed time.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

namespace ql::text {

class DateFormatter {
public:
    using Clock = std::function<QDateTime()>;

    // The system's locale; the POSIX locale formats as US English.
    DateFormatter();
    explicit DateFormatter(const QString& localeName);
    ~DateFormatter();
    DateFormatter(const DateFormatter&) = delete;
    DateFormatter& operator=(const DateFormatter&) = delete;

    static QString systemLocaleName();
    QString localeName() const { return m_localeName; }
    void setLocaleName(const QString& name);

    QString dateFormat() const { return m_pattern; }
    void setDateFormat(const QString& pattern);
    // The date in the current pattern, in the local time zone.
    QString stringFromDate(const QDateTime& date) const;

    QDateTime now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }
    // An empty clock is the system's.
    void setClock(Clock clock) { m_clock = std::move(clock); }

private:
    void rebuild();

    QString m_localeName;
    QString m_pattern;
    Clock m_clock;
    std::unique_ptr<icu::SimpleDateFormat> m_format;
};

} // namespace ql::text
