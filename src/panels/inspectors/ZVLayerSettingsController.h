// The element inspector: the focused element's position, size and turn
// (in the display unit), its print and aspect flags, opacity, shadows,
// border, reflection, text wrap and background, and the align and
// distribute controls, each segment calling the current page's command.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

#include <functional>

class ZVCanvasView;

namespace ql {

class SegmentedControl;
class ZVBackgroundPicker;

class ZVLayerSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    explicit ZVLayerSettingsController(QObject* parent = nullptr);

    // The align controls, by segment: to the page (left, right, top, bottom),
    // centred in the page (centre, middle), the edges of the selection
    // (left, right, top, bottom), its centres (horizontal, vertical), and
    // distribution (vertical, horizontal) by edges or by centres.
    void alignToPage(int segment);
    void centerInPage(int segment);
    void alignEdges(int segment);
    void alignCenters(int segment);
    void distributeByEdges(int segment);
    void distributeByCenters(int segment);

    // How a command reaches the page: its name ("alignViewLeft:", ...) and,
    // for the distributions, by centre or not. Tests record the calls.
    using Command = std::function<void(ZVCanvasView& page, const QString& command, bool byCenter)>;
    void setCommandPerformer(Command performer) { m_perform = std::move(performer); }
    static void performOnPage(ZVCanvasView& page, const QString& command, bool byCenter);

    ZVBackgroundPicker* backgroundPicker() const { return m_backgroundPicker; }
    SegmentedControl* alignControl(const QString& name) const;

protected:
    QString title() const override { return tr("Element Properties"); }
    void buildView(QWidget* view) override;
    void elementChanged(ZVPuttyView* element) override;
    void enableControls(QWidget* view, bool hasElement) override;

private:
    void buildGeometry(class InspectorForm& form);
    void buildEffects(InspectorForm& form);
    QWidget* buildAlignment(QWidget* parent);
    void performSegment(const QStringList& commands, int segment, bool byCenter = false);

    ZVBackgroundPicker* m_backgroundPicker;
    QWidget* m_elementPart = nullptr;
    QWidget* m_alignPart = nullptr;
    Command m_perform = &ZVLayerSettingsController::performOnPage;
};

} // namespace ql
