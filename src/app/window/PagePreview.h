// Draws one page, scaled to fit: its background, and each element's content
// where it is a picture or text, else the element's outline. A stand-in until
// the canvas with its items takes over.
#pragma once

#include <QPointer>
#include <QWidget>

class ZVCanvasView;

namespace ql {

class PagePreview : public QWidget {
    Q_OBJECT
public:
    explicit PagePreview(QWidget* parent = nullptr);

    void setPage(ZVCanvasView* page);
    ZVCanvasView* page() const { return m_page.data(); }

    // Where the page lands in the widget.
    QRectF pageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<ZVCanvasView> m_page;
};

} // namespace ql
