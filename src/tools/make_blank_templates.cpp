// Writes the blank template documents into a folder at build time, with the
// program's own archive writer, so that they always match the file format.
#include "panels/templates/BlankTemplate.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_blank_templates FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    for (const ql::BlankTemplate& blank : ql::BlankTemplate::all()) {
        const ql::Result<QByteArray> data = blank.archive();
        QSaveFile file(folder.filePath(blank.fileName()));
        if (!data || !file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
