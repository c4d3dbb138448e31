#include "content/text/DateFormatter.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

namespace ql::text {

namespace {

icu::UnicodeString unicode(const QString& text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
}

QString fromUnicode(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace

DateFormatter::DateFormatter() : DateFormatter(systemLocaleName()) {}

DateFormatter::DateFormatter(const QString& localeName) : m_localeName(localeName)
{
    rebuild();
}

DateFormatter::~DateFormatter() = default;

QString DateFormatter::systemLocaleName()
{
    const icu::Locale& locale = icu::Locale::getDefault();
    const QString name = QString::fromLatin1(locale.getName());
    // The C and POSIX locales have no names of months or days of their own.
    if (locale.isBogus() || name.isEmpty() || name == QLatin1String("en_US_POSIX") || name == QLatin1String("c")
        || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QStringLiteral("en_US");
    return name;
}

void DateFormatter::setLocaleName(const QString& name)
{
    if (name == m_localeName)
        return;
    m_localeName = name;
    rebuild();
}

void DateFormatter::setDateFormat(const QString& pattern)
{
    if (pattern == m_pattern && m_format)
        return;
    m_pattern = pattern;
    rebuild();
}

void DateFormatter::rebuild()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale(m_localeName.toLatin1().constData());
    auto format = std::make_unique<icu::SimpleDateFormat>(unicode(m_pattern), locale, status);
    // A pattern ICU refuses formats nothing rather than something wrong.
    m_format = U_SUCCESS(status) ? std::move(format) : nullptr;
}

QString DateFormatter::stringFromDate(const QDateTime& date) const
{
    if (!m_format || !date.isValid())
        return {};
    icu::UnicodeString text;
    m_format->format(UDate(date.toMSecsSinceEpoch()), text);
    return fromUnicode(text);
}

} // namespace ql::text
