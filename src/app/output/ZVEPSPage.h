// A widget that draws a sheet of pages wherever a caller places it, as the
// sheets of a PDF do.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class ZVCanvasView;

namespace ql {

class ZVEPSPage : public QWidget {
    Q_OBJECT
public:
    explicit ZVEPSPage(QWidget* parent = nullptr);

    QList<ZVCanvasView*> canvases() const;
    void setCanvases(const QList<ZVCanvasView*>& canvases);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QPointer<ZVCanvasView>> m_canvases;
};

} // namespace ql
