// Helpers of the panel tests: an action target that counts its calls, mouse
// events with fractional positions (as high-density screens deliver them),
// a recorder of the drags panels start, and python3's plistlib on archives.
#pragma once

#include "app/document/Document.h"
#include "panels/controls/DragSource.h"
#include "platform/runtime/NotificationCenter.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QObject>
#include <QProcess>
#include <QWidget>

namespace ql::test {

class ActionTarget : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void pickerChanged(QObject* sender)
    {
        ++calls;
        last = sender;
    }
    int calls = 0;
    QObject* last = nullptr;
};

// One mouse event at a widget point; `buttons` is what is held after it.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF point, Qt::MouseButtons buttons = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, point, widget->mapTo(widget->window(), point), widget->mapToGlobal(point), button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPointF point) { sendMouse(widget, QEvent::MouseButtonPress, point); }
inline void drag(QWidget* widget, QPointF point) { sendMouse(widget, QEvent::MouseMove, point); }
inline void release(QWidget* widget, QPointF point)
{
    sendMouse(widget, QEvent::MouseButtonRelease, point, Qt::NoButton);
}

// Ends the event-loop turn, which closes the undo step being built.
inline void endTurn()
{
    QCoreApplication::processEvents();
}

// Stands in for running drags: keeps what each would have carried, and
// counts "disableDrawingView" (and how many came before the last drag).
struct DragRecorder {
    DragRecorder()
    {
        saved = DragSource::starter();
        DragSource::starter() = [this](QDrag& drag) {
            ++drags;
            disabledBeforeDrag = disabled;
            hotSpot = drag.hotSpot();
            pixmapSize = drag.pixmap().size();
            formats = drag.mimeData()->formats();
            data.clear();
            for (const QString& format : formats)
                data.insert(format, drag.mimeData()->data(format));
        };
        NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("disableDrawingView"), nullptr,
                                                        [this](const Notification&) { ++disabled; });
    }
    ~DragRecorder() { DragSource::starter() = saved; }

    DragSource::Starter saved;
    QObject context;
    int drags = 0;
    int disabled = 0;
    int disabledBeforeDrag = 0;
    QPoint hotSpot;
    QSize pixmapSize;
    QStringList formats;
    QMap<QString, QByteArray> data;
};

// What python3's plistlib finds in an archive: `expression` printed, with
// the archive loaded as `d` and its root record as `root`.
inline QString readWithPlistlib(const QByteArray& archive, const QString& expression)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), QStringLiteral("import plistlib, sys\n"
                                                       "d = plistlib.loads(sys.stdin.buffer.read())\n"
                                                       "o = d['$objects']\n"
                                                       "root = o[d['$top']['root'].data]\n"
                                                       "print(%1)")
                                            .arg(expression)});
    python.write(archive);
    python.closeWriteChannel();
    python.waitForFinished(30000);
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

} // namespace ql::test
