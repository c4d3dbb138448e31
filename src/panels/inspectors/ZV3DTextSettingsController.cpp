#include "panels/inspectors/ZV3DTextSettingsController.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/inspectors/InspectorForm.h"

#include <QLineEdit>
#include <QPushButton>

namespace ql {

namespace {

using Options = KeyPathBinding::Options;
using Number = KeyPathBinding::NumberKind;

} // namespace

bool ZV3DTextSettingsController::showsElement(const ZVPuttyView& element) const
{
    return qobject_cast<ZV3DTextView*>(element.contentView()) != nullptr;
}

void ZV3DTextSettingsController::buildView(QWidget* view)
{
    InspectorForm form(view, *bindings());
    form.heading(tr("Text"));
    auto* string = new QLineEdit(form.widget());
    string->setObjectName(QStringLiteral("contentView.string"));
    form.row(tr("Text"), string);
    bindings()->bind(string, string->objectName());

    form.families(tr("Font"), QStringLiteral("contentView.fontFamily"));

    const auto number = [](double minimum, double maximum) {
        return Options::numbers(Number::Integer, minimum, maximum, QStringLiteral("ZVNumberTransformer"));
    };
    const auto range = [](double minimum, double maximum) {
        return Options::numbers(Number::Integer, minimum, maximum);
    };
    // The camera's scale is 200 less the size: past 200 the text turns over.
    form.slider(tr("Size"), QStringLiteral("contentView.fontSize"), 0, 199, 1, range(0, 199), number(0, 199));
    form.slider(tr("Depth"), QStringLiteral("contentView.extrusionDepth"), 0, 100, 1, range(0, 100), number(0, 100));
    form.slider(tr("Chamfer"), QStringLiteral("contentView.chamferRadius"), 0, 10, 1, range(0, 10), number(0, 10));

    form.heading(tr("Colours"));
    form.well(tr("Front"), QStringLiteral("contentView.frontColor"));
    form.well(tr("Sides"), QStringLiteral("contentView.sideColor"));
    form.check(tr("Shiny"), QStringLiteral("contentView.isShiny"));

    m_rotate = new QPushButton(tr("Rotate 3D Text"), form.widget());
    m_rotate->setObjectName(QStringLiteral("contentView.allowsCameraControl"));
    m_rotate->setCheckable(true);
    form.row(QString(), m_rotate);
    QPushButton* rotate = m_rotate;
    // Turning camera control on or off is no change of the document; the
    // turns made with it are.
    bindings()->bind(m_rotate, m_rotate->objectName());
    bindings()->bind(std::make_unique<ShowingAdapter>(m_rotate,
                                                      [rotate](const QVariant& allows) {
                                                          rotate->setText(allows.toBool() ? tr("Done")
                                                                                          : tr("Rotate 3D Text"));
                                                      }),
                     m_rotate->objectName());
    addToView(view, form.widget());
}

} // namespace ql
