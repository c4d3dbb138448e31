// A row of equally wide modules, each a space or a bar of some vertical
// extent; every linear symbology describes its symbol as one of these.
#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <vector>

namespace ql {

// One module, stored as the character that names it in bar texts.
using BCBarKind = char;

namespace BCBar {
constexpr BCBarKind Space = '0';
constexpr BCBarKind Full = '1';
constexpr BCBarKind LowerHalf = ',';
constexpr BCBarKind UpperHalf = '`';
constexpr BCBarKind UpperTwoThirds = '<';
constexpr BCBarKind MiddleThird = '=';
constexpr BCBarKind LowerTwoThirds = '>';
} // namespace BCBar

class BCBarString {
public:
    BCBarString() = default;
    explicit BCBarString(std::vector<BCBarKind> bars);

    static BCBarString string() { return {}; }
    static BCBarString stringWithBar(BCBarKind bar);

    size_t length() const { return m_bars.size(); }
    bool isEmpty() const { return m_bars.empty(); }
    // The index must be below length().
    BCBarKind barAtIndex(size_t index) const;
    bool beginsWithBar(BCBarKind bar) const;
    bool endsWithBar(BCBarKind bar) const;
    // Calls `block` once per bar in order; setting the flag stops after that call.
    void enumerateBarsUsingBlock(const std::function<void(BCBarKind bar, size_t index, bool& stop)>& block) const;

    const std::vector<BCBarKind>& bars() const { return m_bars; }
    QString description() const;

    bool operator==(const BCBarString&) const = default;

protected:
    std::vector<BCBarKind> m_bars;
};

// Reads a bar text such as "0001101"; blanks are skipped, other unknown
// characters are logged and skipped so a bad table entry never aborts a symbol.
BCBarString BCBarStringFromString(QStringView text);
// One character per bar, in order.
QString StringFromBCBarString(const BCBarString& bars);

} // namespace ql
