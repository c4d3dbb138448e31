#include "ReplayScript.h"

#include <QKeySequence>
#include <QRegularExpression>
#include <cmath>

namespace replay {

namespace {

bool readNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

ParseResult parseScript(const QString& script)
{
    using Kind = Command::Kind;
    ParseResult result;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (int index = 0; index < lines.size(); ++index) {
        const QString line = lines[index].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Command command;
        command.line = index + 1;
        const auto fail = [&](const QString& reason) {
            result.error = QStringLiteral("line %1: %2").arg(command.line).arg(reason);
            return result;
        };
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        const QString verb = space < 0 ? line : line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1).trimmed();
        const QStringList words = rest.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);

        static const QHash<QString, Kind> pointers {{QStringLiteral("press"), Kind::Press},
                                                    {QStringLiteral("move"), Kind::Move},
                                                    {QStringLiteral("release"), Kind::Release},
                                                    {QStringLiteral("click"), Kind::Click},
                                                    {QStringLiteral("dclick"), Kind::DoubleClick}};
        if (pointers.contains(verb)) {
            command.kind = pointers.value(verb);
            double x = 0, y = 0;
            if (words.size() < 2 || !readNumber(words[0], x) || !readNumber(words[1], y))
                return fail(QStringLiteral("%1 needs X and Y").arg(verb));
            command.point = QPointF(x, y);
            const bool takesModifiers = command.kind == Kind::Press || command.kind == Kind::Click;
            for (qsizetype i = 2; i < words.size(); ++i) {
                const QString modifier = words[i].toLower();
                if (!takesModifiers)
                    return fail(QStringLiteral("%1 takes no modifiers").arg(verb));
                if (modifier == QLatin1String("shift"))
                    command.modifiers |= Qt::ShiftModifier;
                else if (modifier == QLatin1String("ctrl"))
                    command.modifiers |= Qt::ControlModifier;
                else if (modifier == QLatin1String("alt"))
                    command.modifiers |= Qt::AltModifier;
                else
                    return fail(QStringLiteral("unknown modifier \"%1\"").arg(words[i]));
            }
        } else if (verb == QLatin1String("drop")) {
            command.kind = Kind::Drop;
            double x = 0, y = 0;
            if (words.size() < 3 || !readNumber(words[0], x) || !readNumber(words[1], y))
                return fail(QStringLiteral("drop needs X, Y and a file"));
            command.point = QPointF(x, y);
            command.text = rest.section(QRegularExpression(QStringLiteral("\\s+")), 2);
        } else if (verb == QLatin1String("key")) {
            command.kind = Kind::Key;
            command.text = rest;
            if (rest.isEmpty() || QKeySequence::fromString(rest, QKeySequence::PortableText).isEmpty())
                return fail(QStringLiteral("key needs a key sequence"));
        } else if (verb == QLatin1String("type")) {
            command.kind = Kind::Type;
            command.text = space < 0 ? QString() : lines[index].trimmed().mid(space + 1);
            if (command.text.isEmpty())
                return fail(QStringLiteral("type needs text"));
        } else if (verb == QLatin1String("menu") || verb == QLatin1String("checked")) {
            command.kind = verb == QLatin1String("menu") ? Kind::Menu : Kind::Checked;
            command.text = rest;
            if (!rest.contains(QLatin1Char('/')))
                return fail(QStringLiteral("%1 needs Menu/Item").arg(verb));
        } else if (verb == QLatin1String("button")) {
            command.kind = Kind::Button;
            command.text = rest;
            if (rest.isEmpty())
                return fail(QStringLiteral("button needs a title"));
        } else if (verb == QLatin1String("master")) {
            command.kind = Kind::Master;
            command.text = rest;
            if (words.size() != 1)
                return fail(QStringLiteral("master needs a letter or None"));
        } else if (verb == QLatin1String("save")) {
            command.kind = Kind::Save;
            command.text = rest;
        } else if (verb == QLatin1String("close") || verb == QLatin1String("reopen")) {
            command.kind = verb == QLatin1String("close") ? Kind::Close : Kind::Reopen;
            if (!rest.isEmpty())
                return fail(QStringLiteral("%1 takes nothing more").arg(verb));
        } else if (verb == QLatin1String("page") || verb == QLatin1String("zoom") || verb == QLatin1String("wait")
                   || verb == QLatin1String("tool")) {
            static const QHash<QString, Kind> numbered {{QStringLiteral("page"), Kind::Page},
                                                        {QStringLiteral("zoom"), Kind::Zoom},
                                                        {QStringLiteral("wait"), Kind::Wait},
                                                        {QStringLiteral("tool"), Kind::Tool}};
            command.kind = numbered.value(verb);
            QString value = rest;
            if (command.kind == Kind::Zoom)
                value.remove(QLatin1Char('%'));
            if (words.size() != 1 || !readNumber(value, command.number) || command.number < 0)
                return fail(QStringLiteral("%1 needs one number").arg(verb));
            if (command.kind == Kind::Page && (command.number < 1 || command.number != std::floor(command.number)))
                return fail(QStringLiteral("page numbers start at 1"));
            if (command.kind == Kind::Tool && command.number != std::floor(command.number))
                return fail(QStringLiteral("tool needs a segment number"));
        } else if (verb == QLatin1String("dropfile")) {
            command.kind = Kind::DropFile;
            double x = 0, y = 0;
            if (words.size() < 3 || !readNumber(words[0], x) || !readNumber(words[1], y))
                return fail(QStringLiteral("dropfile needs X, Y and a file"));
            command.point = QPointF(x, y);
            command.text = rest.section(QRegularExpression(QStringLiteral("\\s+")), 2);
        } else if (verb == QLatin1String("field") || verb == QLatin1String("default")) {
            // A name, then text that may hold spaces.
            command.kind = verb == QLatin1String("field") ? Kind::Field : Kind::Default;
            command.name = words.value(0);
            command.text = rest.mid(command.name.size()).trimmed();
            if (words.size() < 2)
                return fail(QStringLiteral("%1 needs a name and text").arg(verb));
        } else if (verb == QLatin1String("undo") || verb == QLatin1String("redo")) {
            command.kind = verb == QLatin1String("undo") ? Kind::Undo : Kind::Redo;
            if (!rest.isEmpty())
                return fail(QStringLiteral("%1 takes nothing more").arg(verb));
        } else {
            return fail(QStringLiteral("unknown command \"%1\"").arg(verb));
        }
        result.commands.push_back(command);
    }
    return result;
}

} // namespace replay
