#include "util/ColorHex.h"

#include <QDebug>
#include <cmath>

namespace ql {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// A pair as a hexadecimal scanner reads it: leading blanks skipped, then as
// many digits as there are; nothing when the first is not a digit.
std::optional<int> scanPair(const QString& pair)
{
    qsizetype i = 0;
    while (i < pair.size() && pair[i].isSpace())
        ++i;
    int value = -1;
    for (; i < pair.size() && hexDigit(pair[i]) >= 0; ++i)
        value = (value < 0 ? 0 : value * 16) + hexDigit(pair[i]);
    if (value < 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Color> colorWithHex(const QString& hex)
{
    QString digits = hex;
    digits.remove(QLatin1Char('#'));
    if (digits.size() != 3 && digits.size() != 6) {
        qWarning().noquote() << QStringLiteral("Hex color not three or six characters excluding hash: \"%1\"").arg(hex);
        return std::nullopt;
    }
    // The short form takes each character twice; a NUL ends the walk.
    const bool shortForm = digits.size() == 3;
    const qsizetype end = digits.indexOf(QChar(0));
    if (end >= 0)
        digits.truncate(end);
    QString taken;
    for (const QChar c : digits) {
        taken.append(c);
        if (shortForm)
            taken.append(c);
    }
    QList<double> components;
    for (qsizetype i = 0; i + 1 < taken.size(); i += 2)
        if (const std::optional<int> value = scanPair(taken.mid(i, 2)))
            components.append(*value / 255.0);
    while (components.size() < 3)
        components.append(0.0);
    return Color::calibratedRgb(components[0], components[1], components[2], 1.0);
}

QString hexColor(const Color& color)
{
    const auto byte = [](double component) { return std::clamp(int(std::trunc(component * 255.0)), 0, 255); };
    return QStringLiteral("#%1%2%3")
        .arg(byte(color.redComponent()), 2, 16, QLatin1Char('0'))
        .arg(byte(color.greenComponent()), 2, 16, QLatin1Char('0'))
        .arg(byte(color.blueComponent()), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace ql
