// The warnings the program says while one of these lives, kept for the test
// to look at instead of being printed.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <string>

namespace ql::testing {

class KeptWarnings {
public:
    KeptWarnings() { s_kept.clear(), m_previous = qInstallMessageHandler(&keep); }
    ~KeptWarnings() { qInstallMessageHandler(m_previous); }
    qsizetype count(const QString& text) const { return s_kept.filter(text).size(); }
    std::string all() const { return s_kept.join(QLatin1Char('\n')).toStdString(); }

private:
    static void keep(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg)
            s_kept.append(message);
    }
    static inline QStringList s_kept;
    QtMessageHandler m_previous;
};

} // namespace ql::testing
