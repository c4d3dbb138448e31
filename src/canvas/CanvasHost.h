// What pages and elements ask of the window that shows them: redraws,
// keyboard focus, the inspector tab, the magnification. The document window
// implements it; without a window (tests, tools) nothing happens.
#pragma once

class ZVPuttyView;

namespace ql {

class RulerHost;

class CanvasHost {
public:
    virtual ~CanvasHost() = default;

    // The canvas repaints what it shows of the current page.
    virtual void setNeedsDisplay() {}
    // Keyboard focus goes to the page's canvas, or (false) to nothing.
    virtual void makePageFirstResponder(bool page) { (void)page; }
    // The inspector pane shows tab `index` again; the content inspector
    // follows the selection.
    virtual void changeInspectorView(int index) { (void)index; }
    virtual void updateInspectorView() {}
    // The canvas's zoom factor (1 at 100 %).
    virtual double magnification() const { return 1.0; }
    // The image editing panel comes forward on the element's original picture.
    virtual void editImage(ZVPuttyView* element) { (void)element; }
    // The canvas's rulers (none without a window) and whether they show.
    virtual RulerHost* horizontalRuler() { return nullptr; }
    virtual RulerHost* verticalRuler() { return nullptr; }
    virtual void setRulersVisible(bool visible) { (void)visible; }
};

} // namespace ql
