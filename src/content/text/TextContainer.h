// A region that text flows into: a rectangle of a size, laid out by one
// FlowLayout among the containers of a chain. Asked where a line may go, the
// plain container answers the proposed line clipped to its width, and
// nothing once the line would pass its bottom; containers of other shapes
// (text wrap) override the answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

namespace ql::text {

class FlowLayout;

class TextContainer {
public:
    // The platform's default container is effectively unbounded.
    explicit TextContainer(QSizeF size = QSizeF(1e7, 1e7));
    virtual ~TextContainer();
    TextContainer(const TextContainer&) = delete;
    TextContainer& operator=(const TextContainer&) = delete;

    QSizeF containerSize() const { return m_size; }
    // Negative or non-finite sizes count as 0; a change lays the text out again.
    void setContainerSize(QSizeF size);

    // Whether the size follows the text view's width and height.
    bool widthTracksTextView() const { return m_widthTracksTextView; }
    void setWidthTracksTextView(bool tracks) { m_widthTracksTextView = tracks; }
    bool heightTracksTextView() const { return m_heightTracksTextView; }
    void setHeightTracksTextView(bool tracks) { m_heightTracksTextView = tracks; }
    // Space kept free at both ends of every line fragment.
    double lineFragmentPadding() const { return m_lineFragmentPadding; }
    void setLineFragmentPadding(double padding);

    FlowLayout* layoutManager() const;
    // The view that shows this container's text, if any.
    QObject* textView() const { return m_textView.data(); }
    void setTextView(QObject* view) { m_textView = view; }

    // True when every line fragment is the proposed line clipped to the
    // width, so the layout may skip asking.
    virtual bool isSimpleRectangularTextContainer() const { return true; }
    // Where a line proposed at `proposed` may go, and what is left of the
    // proposed line to its right (`remaining`, empty when nothing). An empty
    // answer means the line does not fit here.
    virtual QRectF lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const;
    virtual bool containsPoint(QPointF point) const;

    // Tells the layout that the container's shape changed.
    void textContainerChangedGeometry();
    // Grows with every change of the shape, laid out or not.
    quint64 geometryRevision() const { return m_geometryRevision; }

private:
    friend class FlowLayout;

    QSizeF m_size;
    double m_lineFragmentPadding = 0.0;
    bool m_widthTracksTextView = false;
    bool m_heightTracksTextView = false;
    quint64 m_geometryRevision = 0;
    QPointer<FlowLayout> m_layout;
    QPointer<QObject> m_textView;
};

} // namespace ql::text
