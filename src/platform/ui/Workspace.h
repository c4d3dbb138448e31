// Hands files and URLs to the desktop; replaced by a recording fake in tests.
#pragma once

#include <QString>
#include <QUrl>

namespace ql {

class Workspace {
public:
    virtual ~Workspace() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool openFile(const QString& path) = 0;
    // Whether some application is there to open the URL. A workspace that
    // cannot tell answers no, so nothing is offered that would go nowhere.
    virtual bool canOpenUrl(const QUrl& url) const
    {
        Q_UNUSED(url);
        return false;
    }
};

} // namespace ql
