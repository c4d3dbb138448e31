// A font as documents name it: a PostScript name and a size in points.
// Turning the name into an installed face is the font resolver's job.
#pragma once

#include <QMetaType>
#include <QString>

namespace ql {

class Font {
public:
    Font() = default;
    Font(QString postScriptName, double pointSize)
        : m_postScriptName(std::move(postScriptName)), m_pointSize(pointSize)
    {
    }

    bool isNull() const { return m_postScriptName.isEmpty(); }
    const QString& postScriptName() const { return m_postScriptName; }
    double pointSize() const { return m_pointSize; }
    Font withPointSize(double size) const { return Font(m_postScriptName, size); }

    bool operator==(const Font&) const = default;

private:
    QString m_postScriptName;
    double m_pointSize = 0.0;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::Font)
