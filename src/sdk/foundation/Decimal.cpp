#include "sdk/foundation/Decimal.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

namespace qlkit {

Decimal::Decimal(std::int64_t integer)
{
    // Through unsigned so that the most negative value has a magnitude too.
    const bool negative = integer < 0;
    std::uint64_t magnitude = negative ? 0 - std::uint64_t(integer) : std::uint64_t(integer);
    *this = Decimal(negative, std::to_string(magnitude), 0);
}

Decimal::Decimal(bool negative, std::string digits, long exponent)
{
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return; // zero
    const auto last = digits.find_last_not_of('0');
    m_exponent = exponent + long(digits.size() - 1 - last);
    m_digits = digits.substr(first, last - first + 1);
    m_negative = negative;
}

std::optional<Decimal> Decimal::fromString(std::string_view text)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';

    std::string digits;
    long exponent = 0;
    bool sawDigit = false;
    bool sawPoint = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            sawDigit = true;
            // Leading zeros carry nothing; they must not count against the limit.
            if (!(digits.empty() && c == '0'))
                digits += c;
            if (sawPoint)
                --exponent;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return std::nullopt;

    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            negativeExponent = text[at++] == '-';
        long written = 0;
        bool sawExponentDigit = false;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            sawExponentDigit = true;
            // Saturate: anything this large is refused below anyway.
            written = std::min<long>(written * 10 + (text[at] - '0'), 100000);
        }
        if (!sawExponentDigit)
            return std::nullopt;
        exponent += negativeExponent ? -written : written;
    }
    if (at != text.size())
        return std::nullopt;

    const Decimal result(negative, digits, exponent);
    if (result.m_digits.size() > kMaxDigits)
        return std::nullopt;
    if (!result.isZero() && (result.m_exponent < kMinExponent || result.m_exponent > kMaxExponent))
        return std::nullopt;
    return result;
}

Decimal Decimal::multipliedBy(const Decimal& other) const
{
    if (isZero() || other.isZero())
        return {};
    // Schoolbook multiplication on little-endian digit vectors.
    std::vector<int> product(m_digits.size() + other.m_digits.size(), 0);
    for (std::size_t i = 0; i < m_digits.size(); ++i) {
        const int a = m_digits[m_digits.size() - 1 - i] - '0';
        for (std::size_t j = 0; j < other.m_digits.size(); ++j)
            product[i + j] += a * (other.m_digits[other.m_digits.size() - 1 - j] - '0');
    }
    for (std::size_t k = 0; k + 1 < product.size(); ++k) {
        product[k + 1] += product[k] / 10;
        product[k] %= 10;
    }
    std::string digits;
    for (auto it = product.rbegin(); it != product.rend(); ++it)
        digits += char('0' + *it);
    return Decimal(m_negative != other.m_negative, digits, m_exponent + other.m_exponent);
}

std::optional<std::uint64_t> Decimal::toUInt64() const
{
    if (m_negative || !isInteger())
        return std::nullopt;
    std::uint64_t value = 0;
    constexpr auto max = std::numeric_limits<std::uint64_t>::max();
    const std::string text = toString();
    for (const char c : text) {
        const std::uint64_t digit = std::uint64_t(c - '0');
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::int64_t> Decimal::toInt64() const
{
    if (!isInteger())
        return std::nullopt;
    const Decimal magnitude(false, m_digits, m_exponent);
    const auto value = magnitude.toUInt64();
    constexpr auto max = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    if (!value || *value > max + (m_negative ? 1 : 0))
        return std::nullopt;
    return m_negative ? std::int64_t(0 - *value) : std::int64_t(*value);
}

double Decimal::toDouble() const
{
    // Appended rather than prefixed: GCC 12 misreads a literal + string&& as overlapping copies.
    std::string text = m_negative ? "-" : "";
    text += isZero() ? std::string("0") : m_digits + "e" + std::to_string(m_exponent);
    // from_chars, unlike strtod, ignores the process locale's decimal point.
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string Decimal::toString() const
{
    if (isZero())
        return "0";
    std::string text = m_negative ? "-" : "";
    if (m_exponent >= 0)
        return text + m_digits + std::string(std::size_t(m_exponent), '0');
    const long integerDigits = long(m_digits.size()) + m_exponent;
    if (integerDigits > 0)
        return text + m_digits.substr(0, std::size_t(integerDigits)) + "." + m_digits.substr(std::size_t(integerDigits));
    return text + "0." + std::string(std::size_t(-integerDigits), '0') + m_digits;
}

} // namespace qlkit
