#include "platform/archive/GeometryStrings.h"

#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <cmath>

namespace ql {

QString shortestNumber(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString pointToString(const QPointF& point)
{
    return QStringLiteral("{%1, %2}").arg(shortestNumber(point.x()), shortestNumber(point.y()));
}

QString sizeToString(const QSizeF& size)
{
    return QStringLiteral("{%1, %2}").arg(shortestNumber(size.width()), shortestNumber(size.height()));
}

QString rectToString(const QRectF& rect)
{
    return QStringLiteral("{%1, %2}").arg(pointToString(rect.topLeft()), sizeToString(rect.size()));
}

namespace {

// Reads the numbers of a brace expression, checking that braces and commas
// stand where the form puts them: the expected shape is given as a pattern
// of '{', '}', ',' and 'n' (a number), of at most four numbers. Documents
// hold thousands of these, so nothing is allocated for a short one.
std::optional<std::array<double, 4>> parse(const QString& text, const char* shape)
{
    // As Latin-1, with what it cannot hold as '?', which no form accepts.
    QVarLengthArray<char, 96> bytes(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        bytes[i] = c > 0xff ? '?' : char(c);
    }
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    std::array<double, 4> numbers {};
    size_t count = 0;
    for (const char* s = shape; *s; ++s) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n'))
            ++p;
        if (*s == 'n') {
            double v = 0.0;
            const auto result = std::from_chars(p, end, v);
            if (result.ec != std::errc() || !std::isfinite(v) || count == numbers.size())
                return std::nullopt;
            numbers[count++] = v;
            p = result.ptr;
        } else {
            if (p >= end || *p != *s)
                return std::nullopt;
            ++p;
        }
    }
    while (p < end && *p == ' ')
        ++p;
    if (p != end)
        return std::nullopt;
    return numbers;
}

} // namespace

std::optional<QRectF> rectFromString(const QString& text)
{
    const auto n = parse(text, "{{n,n},{n,n}}");
    if (!n)
        return std::nullopt;
    return QRectF((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

std::optional<QPointF> pointFromString(const QString& text)
{
    const auto n = parse(text, "{n,n}");
    if (!n)
        return std::nullopt;
    return QPointF((*n)[0], (*n)[1]);
}

std::optional<QSizeF> sizeFromString(const QString& text)
{
    const auto n = parse(text, "{n,n}");
    if (!n)
        return std::nullopt;
    return QSizeF((*n)[0], (*n)[1]);
}

} // namespace ql
