// EPS pictures for tests, a Ghostscript on the PATH that counts its runs,
// the processes that mention a folder, and changes of environment,
// conversion limits and message handling undone at the end.
#pragma once

#include "imaging/PictureConversions.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "support/EnvironmentChange.h"
#include "support/KeptWarnings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace ql::testing {

// A 10-point EPS picture; `tag` makes pictures that do the same distinct bytes.
inline QByteArray eps(const QByteArray& program, int tag = 0)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n% " + QByteArray::number(tag) + "\n" + program + "\n";
}
inline QByteArray solidEps(const QByteArray& rgb, int tag = 0)
{
    return eps(rgb + " setrgbcolor 0 0 10 10 rectfill showpage", tag);
}
inline QByteArray endlessEps(int tag = 0) { return eps("{ } loop", tag); }

inline void addEpsPicture(ZVCanvasView& page, const QRectF& content, const QByteArray& data)
{
    ZVPuttyView* element = ZVPuttyView::initWithImage(Image(ImageRep::eps(data, QSizeF(10, 10)))).release();
    page.addPuttyView(element);
    const double m = ZVPuttyView::kMargin;
    element->setFrame(content.adjusted(-m, -m, m, m));
}

// The panel drawn where a picture has no pixels (off its cross).
inline bool isPlaceholder(QColor c)
{
    return std::abs(c.red() - 0xe4) <= 6 && c.red() == c.green() && c.green() == c.blue();
}

// Processes whose command line mentions `text`.
inline QList<int> processesMentioning(const QString& text)
{
    QList<int> found;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid.toInt() > 0 && commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(text.toUtf8()))
            found.append(pid.toInt());
    }
    return found;
}

class ConversionLimits {
public:
    explicit ConversionLimits(const PictureConversions::Limits& limits) : m_before(PictureConversions::shared().limits())
    {
        PictureConversions::shared().setLimits(limits);
    }
    ~ConversionLimits() { PictureConversions::shared().setLimits(m_before); }

private:
    PictureConversions::Limits m_before;
};

// A `gs` first on the PATH that notes each run and hands over to the real one.
class CountingGhostscript {
public:
    CountingGhostscript() : m_path("PATH", (QFile::encodeName(m_folder.path()) + ':' + qgetenv("PATH")).toStdString())
    {
        QFile script(m_folder.filePath(QStringLiteral("gs")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho >> '" + QFile::encodeName(m_folder.filePath(QStringLiteral("runs")))
                     + "'\nexec /usr/bin/gs \"$@\"\n");
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    int runs() const
    {
        QFile file(m_folder.filePath(QStringLiteral("runs")));
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
    }

private:
    QTemporaryDir m_folder;
    EnvironmentChange m_path;
};

} // namespace ql::testing
