#include "design/NumberFormatter.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ql {

namespace {

// Rounds the decimal digits "int.frac" to `digits` fraction digits, ties to
// even. Returns the integer and fraction parts.
std::pair<std::string, std::string> roundHalfEven(std::string integer, std::string fraction, int digits)
{
    if (int(fraction.size()) <= digits)
        return {integer, fraction};
    const std::string rest = fraction.substr(digits);
    fraction.resize(digits);
    bool up = false;
    if (rest[0] > '5') {
        up = true;
    } else if (rest[0] == '5') {
        const bool exactTie = rest.find_first_not_of('0', 1) == std::string::npos;
        if (!exactTie) {
            up = true;
        } else {
            const char last = fraction.empty() ? integer.back() : fraction.back();
            up = (last - '0') % 2 == 1;
        }
    }
    if (up) {
        std::string all = integer + fraction;
        int i = int(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[i] == '9') {
                all[i] = '0';
            } else {
                ++all[i];
                break;
            }
        }
        if (i < 0)
            all.insert(all.begin(), '1');
        integer = all.substr(0, all.size() - fraction.size());
        fraction = all.substr(all.size() - fraction.size());
    }
    return {integer, fraction};
}

} // namespace

QString NumberFormatter::stringFromNumber(double value) const
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+∞") : QStringLiteral("-∞");

    // The shortest form that reads back as the same double, in fixed notation.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
    const auto dot = text.find('.');
    std::string integer = dot == std::string::npos ? text : text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);

    std::tie(integer, fraction) = roundHalfEven(integer, fraction, m_maximumFractionDigits);
    while (int(fraction.size()) > m_minimumFractionDigits && fraction.back() == '0')
        fraction.pop_back();
    while (int(fraction.size()) < m_minimumFractionDigits)
        fraction.push_back('0');
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    while (int(integer.size()) < m_minimumIntegerDigits)
        integer.insert(integer.begin(), '0');

    const bool isZero = integer.find_first_not_of('0') == std::string::npos
        && fraction.find_first_not_of('0') == std::string::npos;
    std::string result = (value < 0 && !isZero) ? "-" : "";
    result += integer;
    if (!fraction.empty())
        result += "." + fraction;
    return QString::fromStdString(result);
}

QString NumberFormatter::stringFromNumber(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    bool ok = false;
    const double number = value.toDouble(&ok);
    return stringFromNumber(ok ? number : 0.0);
}

} // namespace ql
