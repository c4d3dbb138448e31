// EPS pictures for tests (solid, failing, endless), a Ghostscript on the
// PATH that counts its runs, and changes of environment, limits and message
// handling undone at the end.
#pragma once

#include "app/categories/PictureConversions.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace ql::testing {

// Sets an environment variable for the lifetime of the object.
class EnvironmentChange {
public:
    EnvironmentChange(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentChange()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// `tag` makes pictures that look alike distinct bytes.
inline QByteArray solidEps(const char* rgb, int tag = 0)
{
    return QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n% ") + QByteArray::number(tag) + "\n"
        + rgb + " setrgbcolor 0 0 10 10 rectfill showpage\n";
}

inline QByteArray endlessEps(int tag = 0)
{
    return QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n% ") + QByteArray::number(tag)
        + "\n{ } loop\n";
}

inline QByteArray brokenEps()
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nnonsense-operator\n";
}

// Conversion limits for one test, the usual ones again after it.
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

// Keeps the warnings said while it lives, for tests of console lines.
class KeptWarnings {
public:
    KeptWarnings() { s_kept.clear(); m_previous = qInstallMessageHandler(&keep); }
    ~KeptWarnings() { qInstallMessageHandler(m_previous); }
    // How many kept warnings contain `text`.
    qsizetype count(const QString& text) const { return s_kept.filter(text).size(); }
    QString all() const { return s_kept.join(QLatin1Char('\n')); }

private:
    static void keep(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg)
            s_kept.append(message);
    }
    static inline QStringList s_kept;
    QtMessageHandler m_previous;
};

// The panel drawn where a picture has no pixels.
inline bool isPlaceholder(QColor c)
{
    return std::abs(c.red() - 0xe4) <= 6 && c.red() == c.green() && c.green() == c.blue();
}

// A `gs` first on the PATH that notes each run and hands over to the real one.
class CountingGhostscript {
public:
    CountingGhostscript() : m_path("PATH", QFile::encodeName(m_folder.path()) + ':' + qgetenv("PATH"))
    {
        QFile script(m_folder.filePath(QStringLiteral("gs")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho run >> '" + QFile::encodeName(m_folder.filePath(QStringLiteral("runs")))
                     + "'\nexec /usr/bin/gs \"$@\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
