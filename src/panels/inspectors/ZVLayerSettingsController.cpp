#include "panels/inspectors/ZVLayerSettingsController.h"

#include "design/UnitTransformers.h"
#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/inspectors/AlignmentIcons.h"
#include "panels/inspectors/InspectorForm.h"
#include "panels/inspectors/UndoableSetting.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "platform/runtime/Deferred.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>

namespace ql {

namespace {

using Options = KeyPathBinding::Options;
using Number = KeyPathBinding::NumberKind;

// The commands of each align control, by segment.
const QStringList pageCommands {"alignViewLeft:", "alignViewRight:", "alignViewTop:", "alignViewBottom:"};
const QStringList centerCommands {"alignViewCenter:", "alignViewMiddle:"};
const QStringList edgeCommands {"alignEdgesLeft:", "alignEdgesRight:", "alignEdgesTop:", "alignEdgesBottom:"};
const QStringList centreLineCommands {"alignCenterHorizontal:", "alignCenterVertical:"};
const QStringList distributeCommands {"distributeEdgesVerticalByCenter:", "distributeEdgesHorizontalByCenter:"};

Options percentage()
{
    return Options::numbers(Number::Double, 0.0, 1.0, QStringLiteral("ZVPercentageTransformer"));
}

Options points(Number kind, std::optional<double> minimum = 0.0)
{
    return Options::numbers(kind, minimum, std::nullopt, QStringLiteral("ZVPointsTransformer"));
}

Options degrees()
{
    return Options::numbers(Number::Double, std::nullopt, std::nullopt, QStringLiteral("ZVDegreesTransformer2"));
}

// A frame field: text without a number, or a negative size, is refused
// rather than read as 0, and so is a frame whose content would be below
// nothing on either side; a new frame is one resize step. A size of 0 is
// refused while the aspect ratio is kept: no proportion can be kept from
// it, and content collapsed to a point leaves no handle to grow it by.
Options frameField(const char* transformer, bool size)
{
    Options options;
    options.transformer = QString::fromLatin1(transformer);
    options.accepts = [size](const QVariant& shown) {
        const std::optional<double> number = typedNumber(shown);
        if (!number || !size)
            return number.has_value();
        return *number > 0 || (*number == 0 && !ZVDesignHelper::sharedInstance().keepAspectRatio());
    };
    if (size) {
        options.acceptsValue = [](const QVariant& value) {
            const QSizeF frame = value.toRectF().size();
            return frame.width() >= 2 * ZVPuttyView::kMargin && frame.height() >= 2 * ZVPuttyView::kMargin;
        };
    }
    options.write = [](KVObject& target, const QVariant& value) {
        auto& element = static_cast<ZVPuttyView&>(target);
        element.setNewPuttyViewFrame(value.toRectF(), true);
        // The guides the resize shows go again, as after an alignment.
        after(1000, &element, [&element] {
            if (ZVCanvasView* page = element.canvas())
                page->clearGuides();
        });
    };
    return options;
}

SegmentedControl* segments(const QString& name, const QList<AlignmentIcon>& icons, const QStringList& tips,
                           QWidget* parent)
{
    auto* control = new SegmentedControl(parent);
    control->setObjectName(name);
    QList<QImage> images;
    for (AlignmentIcon icon : icons)
        images.append(alignmentIcon(icon));
    control->setSegments(images, tips);
    return control;
}

} // namespace

ZVLayerSettingsController::ZVLayerSettingsController(QObject* parent)
    : ZVInspectorController(parent), m_backgroundPicker(new ZVBackgroundPicker(this))
{
}

void ZVLayerSettingsController::buildView(QWidget* view)
{
    m_elementPart = new QWidget(view);
    m_elementPart->setObjectName(QStringLiteral("elementProperties"));
    auto* layout = new QVBoxLayout(m_elementPart);
    layout->setContentsMargins(0, 0, 0, 0);
    InspectorForm form(m_elementPart, *bindings());
    buildGeometry(form);
    buildEffects(form);
    layout->addWidget(form.widget());
    addToView(view, m_elementPart);
    addToView(view, m_backgroundPicker->view());
    m_alignPart = buildAlignment(view);
    addToView(view, m_alignPart);
}

void ZVLayerSettingsController::buildGeometry(InspectorForm& form)
{
    form.heading(tr("Position and Size"));
    const struct {
        const char* caption;
        const char* transformer;
        bool size;
    } frameFields[] = {
        {QT_TR_NOOP("X"), "ZVFramePositionXUnitsTransformer", false},
        {QT_TR_NOOP("Y"), "ZVFramePositionYUnitsTransformer", false},
        {QT_TR_NOOP("Width"), "ZVFrameSizeWidthUnitsTransformer", true},
        {QT_TR_NOOP("Height"), "ZVFrameSizeHeightUnitsTransformer", true},
    };
    // The frame fields come first: the angle shows only while they show a frame.
    for (const auto& f : frameFields) {
        QLineEdit* field = InspectorForm::makeField(QStringLiteral("frame"), form.widget());
        field->setAccessibleName(tr(f.caption));
        form.row(tr(f.caption), field);
        bindings()->bind(field, QStringLiteral("frame"), frameField(f.transformer, f.size));
    }
    Options rotation = Options::numbers(Number::Double, std::nullopt, std::nullopt,
                                        QStringLiteral("ZVDegreesTransformer"));
    rotation.write = [](KVObject& target, const QVariant& value) {
        auto& element = static_cast<ZVPuttyView&>(target);
        // A cropped element keeps its turn; no empty step is recorded.
        if (element.cropMode())
            return;
        element.registerRotateUndo();
        element.setRotation(value.toDouble());
    };
    form.field(tr("Rotation"), QStringLiteral("frameCenterRotation"), rotation);
    // The element records no undo for this flag, as the platform never did.
    form.check(tr("Keep aspect ratio"), QStringLiteral("keepAspectRatio"));
    // The print flag has no undo of its own; one step here keeps Undo from
    // taking back an older change instead.
    Options printing;
    printing.write = [this](KVObject& target, const QVariant& value) {
        setValueRecordingUndo(target, QStringLiteral("hideFromPrinting"), value, undoManager());
    };
    form.check(tr("Hide when printing"), QStringLiteral("hideFromPrinting"), printing);
    form.slider(tr("Opacity"), QStringLiteral("layerOpacity"), 0, 100, 100,
                Options::numbers(Number::Double, 0.0, 1.0), percentage());
}

void ZVLayerSettingsController::buildEffects(InspectorForm& form)
{
    for (const auto& [prefix, heading] :
         {std::pair {"shadow", tr("Shadow")}, std::pair {"innerShadow", tr("Inner Shadow")}}) {
        const auto key = [prefix = prefix](const char* name) { return QString::fromLatin1(prefix) + QLatin1String(name); };
        form.heading(heading);
        form.check(tr("Show"), key("Enabled"));
        form.well(tr("Colour"), key("Color"));
        form.slider(tr("Opacity"), key("Opacity"), 0, 100, 100, Options::numbers(Number::Double, 0.0, 1.0),
                    percentage());
        form.field(tr("Distance"), key("Offset"), points(Number::Double));
        form.field(tr("Blur"), key("BlurRadius"), points(Number::Double));
        form.field(tr("Angle"), key("Angle"), degrees());
    }

    form.heading(tr("Border"));
    form.check(tr("Show"), QStringLiteral("borderEnabled"));
    form.well(tr("Colour"), QStringLiteral("borderColor"));
    form.popup(tr("Dashes"), QStringLiteral("borderType"),
               {tr("Solid"), QStringLiteral("6 2"), QStringLiteral("2 2"), QStringLiteral("5 5"),
                QStringLiteral("5 10"), QStringLiteral("10 5"), QStringLiteral("5 1"), QStringLiteral("1 5"),
                QStringLiteral("15 10 5"), QStringLiteral("15 10 5 10"), QStringLiteral("15 10 5 10 15"),
                QStringLiteral("5 5 1 5")});
    form.field(tr("Width"), QStringLiteral("borderWidth"), points(Number::Double));
    form.field(tr("Corners"), QStringLiteral("borderRadius"), points(Number::Integer));
    // Written as a fraction although new elements start with the integer 1.
    form.slider(tr("Opacity"), QStringLiteral("borderOpacity"), 0, 100, 100,
                Options::numbers(Number::Double, 0.0, 1.0), percentage());
    // How far the text of a box keeps clear of the border.
    form.popup(tr("Text inset"), QStringLiteral("borderStyle"), {tr("None"), tr("Half the width"), tr("Full width")});

    form.heading(tr("Reflection"));
    form.check(tr("Show"), QStringLiteral("reflectionEnabled"));
    form.slider(tr("Opacity"), QStringLiteral("reflectionOpacity"), 0, 100, 100,
                Options::numbers(Number::Double, 0.0, 1.0), percentage());
    form.field(tr("Height"), QStringLiteral("reflectionHeight"), points(Number::Integer));

    form.heading(tr("Text Wrap"));
    form.check(tr("Text flows around"), QStringLiteral("causesWrap"));
    form.popup(tr("Wrap"), QStringLiteral("wrapType"),
               {tr("Around"), tr("Right side only"), tr("Left side only"), tr("Above and below")});
    form.field(tr("Margin"), QStringLiteral("wrapMargins"), points(Number::Integer));
}

QWidget* ZVLayerSettingsController::buildAlignment(QWidget* parent)
{
    auto* part = new QWidget(parent);
    part->setObjectName(QStringLiteral("alignment"));
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(tr("Align"), part);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 2);

    using I = AlignmentIcon;
    const struct {
        const char* name;
        const char* caption;
        QList<AlignmentIcon> icons;
        QStringList tips;
        void (ZVLayerSettingsController::*action)(int);
    } controls[] = {
        {"alignToPage", QT_TR_NOOP("To page"), {I::Left, I::Right, I::Top, I::Bottom},
         {tr("Left margin"), tr("Right margin"), tr("Top margin"), tr("Bottom margin")},
         &ZVLayerSettingsController::alignToPage},
        {"centerInPage", QT_TR_NOOP("Centre"), {I::CenterVertical, I::CenterHorizontal},
         {tr("Centre on the page"), tr("Middle of the page")}, &ZVLayerSettingsController::centerInPage},
        {"alignEdges", QT_TR_NOOP("Edges"), {I::Left, I::Right, I::Top, I::Bottom},
         {tr("Left edges"), tr("Right edges"), tr("Top edges"), tr("Bottom edges")},
         &ZVLayerSettingsController::alignEdges},
        {"alignCenters", QT_TR_NOOP("Centres"), {I::CenterHorizontal, I::CenterVertical},
         {tr("Centres on one horizontal line"), tr("Centres on one vertical line")},
         &ZVLayerSettingsController::alignCenters},
        {"distributeByEdges", QT_TR_NOOP("Spread"), {I::SpreadHorizontally, I::SpreadVertically},
         {tr("Equal gaps across"), tr("Equal gaps down")}, &ZVLayerSettingsController::distributeByEdges},
        {"distributeByCenters", QT_TR_NOOP("By centres"), {I::SpreadHorizontally, I::SpreadVertically},
         {tr("Centres evenly across"), tr("Centres evenly down")}, &ZVLayerSettingsController::distributeByCenters},
    };
    int row = 1;
    for (const auto& c : controls) {
        SegmentedControl* control = segments(QString::fromLatin1(c.name), c.icons, c.tips, part);
        const auto action = c.action;
        // Segments act, they do not stay chosen.
        connect(control, &SegmentedControl::segmentChosen, this, [this, control, action](int segment) {
            control->setSelectedSegment(-1);
            (this->*action)(segment);
        });
        auto* caption = new QLabel(tr(c.caption), part);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, row, 0);
        grid->addWidget(control, row, 1, Qt::AlignLeft);
        ++row;
    }
    return part;
}

SegmentedControl* ZVLayerSettingsController::alignControl(const QString& name) const
{
    return m_alignPart ? m_alignPart->findChild<SegmentedControl*>(name) : nullptr;
}

void ZVLayerSettingsController::elementChanged(ZVPuttyView* element)
{
    // The size fields scale by the shown element's flag, not by that of the
    // element whose flag changed last.
    if (element)
        ZVDesignHelper::sharedInstance().setKeepAspectRatio(element->keepAspectRatio());
    m_backgroundPicker->setRepresentedObject(element ? element->backgroundView() : nullptr);
}

void ZVLayerSettingsController::enableControls(QWidget*, bool hasElement)
{
    m_elementPart->setEnabled(hasElement);
    // Several selected elements have no focused one, and they are what the
    // edge and distribution commands work on.
    m_alignPart->setEnabled(currentPage() != nullptr);
}

void ZVLayerSettingsController::alignToPage(int segment)
{
    performSegment(pageCommands, segment);
}

void ZVLayerSettingsController::centerInPage(int segment)
{
    performSegment(centerCommands, segment);
}

void ZVLayerSettingsController::alignEdges(int segment)
{
    performSegment(edgeCommands, segment);
}

void ZVLayerSettingsController::alignCenters(int segment)
{
    performSegment(centreLineCommands, segment);
}

void ZVLayerSettingsController::distributeByEdges(int segment)
{
    performSegment(distributeCommands, segment, false);
}

void ZVLayerSettingsController::distributeByCenters(int segment)
{
    performSegment(distributeCommands, segment, true);
}

void ZVLayerSettingsController::performSegment(const QStringList& commands, int segment, bool byCenter)
{
    ZVCanvasView* page = currentPage();
    if (page && m_perform && segment >= 0 && segment < commands.size())
        m_perform(*page, commands[segment], byCenter);
}

void ZVLayerSettingsController::performOnPage(ZVCanvasView& page, const QString& command, bool byCenter)
{
    using Page = ZVCanvasView;
    static const QHash<QString, void (Page::*)()> plain {
        {"alignViewLeft:", &Page::alignViewLeft},
        {"alignViewRight:", &Page::alignViewRight},
        {"alignViewTop:", &Page::alignViewTop},
        {"alignViewBottom:", &Page::alignViewBottom},
        {"alignViewCenter:", &Page::alignViewCenter},
        {"alignViewMiddle:", &Page::alignViewMiddle},
        {"alignEdgesLeft:", &Page::alignEdgesLeft},
        {"alignEdgesRight:", &Page::alignEdgesRight},
        {"alignEdgesTop:", &Page::alignEdgesTop},
        {"alignEdgesBottom:", &Page::alignEdgesBottom},
        {"alignCenterHorizontal:", &Page::alignCenterHorizontal},
        {"alignCenterVertical:", &Page::alignCenterVertical},
    };
    if (const auto found = plain.constFind(command); found != plain.constEnd())
        (page.*found.value())();
    else if (command == distributeCommands[0])
        page.distributeEdgesVerticalByCenter(byCenter);
    else if (command == distributeCommands[1])
        page.distributeEdgesHorizontalByCenter(byCenter);
}

} // namespace ql
