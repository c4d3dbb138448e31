// A canvas-replay script: one command a line, checked before anything runs.
#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace replay {

struct Command {
    enum class Kind {
        Press, Move, Release, Click, DoubleClick, Key, Type, Menu, Checked, Button, Save, Close, Reopen, Page, Zoom,
        Undo, Redo, Wait, Tool, Master, Drop, DropFile, Field, Default
    };
    int line = 0;
    Kind kind = Kind::Wait;
    QPointF point;                // page points, y down
    Qt::KeyboardModifiers modifiers;
    QString text;                 // key sequence, typed text, menu path, button, file, master, dropped file
    QString name;                 // the field typed into, the user default set
    double number = 0;            // page, zoom percentage, milliseconds, tool segment
};

struct ParseResult {
    std::vector<Command> commands;
    std::optional<QString> error; // "line N: reason"
};

ParseResult parseScript(const QString& script);

} // namespace replay
