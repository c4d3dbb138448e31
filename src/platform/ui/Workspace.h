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
};

} // namespace ql
