// An exact decimal number: sign, significant digits and a power of ten.
// Prices are multiplied by decimal factors without the rounding a binary
// double would bring (1.99 x 1000000 is 1990000, not 1989999.9999999998).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qlkit {

class Decimal {
public:
    // The bounds of the decimal numbers the original platform stored.
    static constexpr std::size_t kMaxDigits = 38;
    static constexpr int kMinExponent = -128;
    static constexpr int kMaxExponent = 127;

    Decimal() = default; // zero
    explicit Decimal(std::int64_t integer);

    // Plain decimal text: an optional sign, digits with an optional point,
    // an optional exponent ("1.99", "-3", "2.5e-3"). Nothing else, no spaces;
    // more than kMaxDigits significant digits or an exponent out of range
    // is refused rather than rounded.
    static std::optional<Decimal> fromString(std::string_view text);

    // Exact product: the digits grow as needed.
    Decimal multipliedBy(const Decimal& other) const;

    bool isZero() const { return m_digits.empty(); }
    bool isNegative() const { return m_negative; }
    bool isInteger() const { return m_exponent >= 0; }
    // The value when it is an integer that fits.
    std::optional<std::int64_t> toInt64() const;
    std::optional<std::uint64_t> toUInt64() const;
    // The nearest double.
    double toDouble() const;
    // Plain notation without exponent: "1990000", "-0.05", "0".
    std::string toString() const;

    bool operator==(const Decimal&) const = default;

private:
    Decimal(bool negative, std::string digits, long exponent);

    // Kept normalised, so that equal numbers compare equal member by member:
    // no leading or trailing zeros in m_digits; zero is empty digits, positive.
    bool m_negative = false;
    std::string m_digits;
    long m_exponent = 0;
};

} // namespace qlkit
