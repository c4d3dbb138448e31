// The kinds code-render knows, gathered from one table per family of codes.
#pragma once

#include <QMap>
#include <QString>
#include <vector>

namespace coderender {

using Options = QMap<QString, QString>; // "--scale 2" becomes {"scale", "2"}

struct Kind {
    QString name;
    // Renders `text` into the file `out`; returns the process exit code and
    // prints the library's message on refused content.
    int (*run)(const QString& kind, const QString& text, const QString& out, const Options& options);
};

std::vector<Kind> barcodeKinds();
std::vector<Kind> qrKinds();

} // namespace coderender
