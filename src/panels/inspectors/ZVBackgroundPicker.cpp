#include "panels/inspectors/ZVBackgroundPicker.h"

#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/InspectorControls.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"
#include "panels/inspectors/BackgroundPictures.h"
#include "panels/inspectors/ZVBackgroundImageCollectionViewItem.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/Prompter.h"
#include "platform/undo/UndoManager.h"
#include "shapes/ZVVectorView.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDial>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace ql {

using namespace inspector;

namespace {

using Number = KeyPathBinding::NumberKind;
using Options = KeyPathBinding::Options;

void setGradientUndoably(ZVBackgroundView* background, const QVariant& gradient);

// Records a step that gives the background `gradient` back (none if null).
// The background does not watch its drawn gradient, so the picker keeps its
// history itself.
void recordGradientRestore(ZVBackgroundView* background, const QVariant& gradient)
{
    UndoManager* manager = background->undoManager();
    if (!manager)
        return;
    const QPointer<ZVBackgroundView> target = background;
    manager->registerUndo(background, [target, gradient] {
        if (target)
            setGradientUndoably(target, gradient);
    });
}

// A gradient given from outside (types 2 and 3): set, redrawn, undoable.
void setGradientUndoably(ZVBackgroundView* background, const QVariant& gradient)
{
    recordGradientRestore(background, background->gradient());
    const bool none = !gradient.isValid() || gradient.value<Gradient>().isEmpty();
    background->setGradient(none ? QVariant() : gradient);
    background->update();
}

bool isCustomGradient(const ZVBackgroundView& background)
{
    const int kind = background.backgroundGradientType().toInt();
    return background.backgroundType().toInt() == ZVBackgroundView::GradientFill && (kind == 2 || kind == 3);
}

} // namespace

ZVBackgroundPicker::ZVBackgroundPicker(QObject* parent) : ViewController(parent), m_bindings(new KeyPathBindings(this))
{
    m_bindings->setUndoManagerProvider([this]() -> UndoManager* {
        ZVBackgroundView* background = this->background();
        return background ? background->undoManager() : nullptr;
    });
    // A text being edited, a press on the page or an element: the wells let
    // go, so that the colour panel changes nothing behind the user's back.
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("disableBackgroundColorPicker"), nullptr,
                                                    [this](const Notification&) { deactivateWells(); });
}

ZVBackgroundPicker::~ZVBackgroundPicker() = default;

ZVBackgroundView* ZVBackgroundPicker::background() const
{
    return qobject_cast<ZVBackgroundView*>(representedObject());
}

void ZVBackgroundPicker::setRepresentedObject(QObject* object)
{
    deactivateWells();
    auto* background = qobject_cast<ZVBackgroundView*>(object);
    ViewController::setRepresentedObject(background);
    m_bindings->setTarget(background);
    if (isViewLoaded())
        view()->setEnabled(background != nullptr);
}

QWidget* ZVBackgroundPicker::loadView()
{
    QWidget* view = placeholderView(tr("Background"));
    auto* layout = static_cast<QVBoxLayout*>(view->layout());
    auto* body = new QWidget(view);
    auto* grid = rowsOf(body);

    grid->addWidget(caption(tr("Fill"), body), 0, 0);
    grid->addWidget(popup(QStringLiteral("backgroundType"), {tr("None"), tr("Colour"), tr("Gradient"), tr("Image")},
                          body),
                    0, 1, 1, 2);

    auto* opacityLabel = caption(tr("Opacity"), body);
    opacityLabel->setObjectName(QStringLiteral("opacityLabel"));
    grid->addWidget(opacityLabel, 1, 0);
    grid->addWidget(slider(QStringLiteral("backgroundOpacity"), 0, 100, body), 1, 1);
    grid->addWidget(field(QStringLiteral("backgroundOpacity"), body), 1, 2);

    auto* colourLabel = caption(tr("Colour"), body);
    colourLabel->setObjectName(QStringLiteral("colourLabel"));
    auto* colourWell = new GPColorWell(body);
    colourWell->setObjectName(QStringLiteral("backgroundColor"));
    grid->addWidget(colourLabel, 2, 0);
    grid->addWidget(colourWell, 2, 1, Qt::AlignLeft);

    grid->addWidget(buildGradientBox(body), 3, 0, 1, 3);
    grid->addWidget(buildImageBox(body), 4, 0, 1, 3);

    layout->insertWidget(1, body);
    bindControls(view);
    view->setEnabled(background() != nullptr);
    return view;
}

QWidget* ZVBackgroundPicker::buildGradientBox(QWidget* parent)
{
    QWidget* gradients = box(QStringLiteral("gradientBox"), parent);
    auto* grid = rowsOf(gradients);

    grid->addWidget(caption(tr("Kind"), gradients), 0, 0);
    grid->addWidget(popup(QStringLiteral("backgroundGradientType"),
                          {tr("Linear"), tr("Radial"), tr("Custom linear"), tr("Custom radial")}, gradients),
                    0, 1, 1, 2);

    QWidget* twoColours = box(QStringLiteral("twoColourGradient"), gradients);
    auto* twoGrid = rowsOf(twoColours);
    auto* first = new GPColorWell(twoColours);
    first->setObjectName(QStringLiteral("backgroundGradientColor1"));
    auto* second = new GPColorWell(twoColours);
    second->setObjectName(QStringLiteral("backgroundGradientColor2"));
    auto* wells = new QHBoxLayout;
    wells->addWidget(first);
    wells->addWidget(second);
    wells->addStretch(1);
    twoGrid->addWidget(caption(tr("Colours"), twoColours), 0, 0);
    twoGrid->addLayout(wells, 0, 1);
    twoGrid->addWidget(caption(tr("Split"), twoColours), 1, 0);
    twoGrid->addWidget(slider(QStringLiteral("backgroundGradientSplit"), 0, 100, twoColours), 1, 1);
    grid->addWidget(twoColours, 1, 0, 1, 3);

    QWidget* custom = box(QStringLiteral("customGradient"), gradients);
    auto* customRow = new QHBoxLayout(custom);
    customRow->setContentsMargins(0, 0, 0, 0);
    m_gradientWell = new GPGradientWell(custom);
    m_gradientWell->setObjectName(QStringLiteral("gradient"));
    m_gradientWell->setGradient(GPGradients::spectrumGradient());
    customRow->addWidget(caption(tr("Gradient"), custom));
    customRow->addWidget(m_gradientWell, 1);
    grid->addWidget(custom, 2, 0, 1, 3);

    grid->addWidget(caption(tr("Angle"), gradients), 3, 0);
    auto* dial = new QDial(gradients);
    dial->setObjectName(QStringLiteral("backgroundGradientAngle"));
    dial->setRange(0, 359);
    dial->setWrapping(true);
    dial->setFixedSize(40, 40);
    grid->addWidget(dial, 3, 1, Qt::AlignLeft);
    grid->addWidget(field(QStringLiteral("backgroundGradientAngle"), gradients), 3, 2);
    return gradients;
}

QWidget* ZVBackgroundPicker::buildImageBox(QWidget* parent)
{
    QWidget* images = box(QStringLiteral("imageBox"), parent);
    auto* grid = rowsOf(images);

    auto* sources = new QButtonGroup(images);
    sources->setObjectName(QStringLiteral("backgroundImageType"));
    auto* row = new QHBoxLayout;
    for (const auto& [id, title, name] : {std::tuple {0, tr("Images"), "images"}, std::tuple {1, tr("Art"), "art"}}) {
        auto* button = new QToolButton(images);
        button->setText(title);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(true);
        sources->addButton(button, id);
        row->addWidget(button);
    }
    row->addStretch(1);
    grid->addLayout(row, 0, 0, 1, 3);
    grid->addWidget(buildCollection(images, QStringLiteral("backgroundImagePicker"), false), 1, 0, 1, 3);
    grid->addWidget(buildCollection(images, QStringLiteral("backgroundArtPicker"), true), 2, 0, 1, 3);

    auto* choose = new QPushButton(tr("Choose…"), images);
    choose->setObjectName(QStringLiteral("chooseImage"));
    connect(choose, &QPushButton::clicked, this, &ZVBackgroundPicker::chooseFile);
    auto* crop = new QPushButton(tr("Crop"), images);
    crop->setObjectName(QStringLiteral("puttyView.cropMode"));
    crop->setCheckable(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(choose);
    buttons->addWidget(crop);
    buttons->addStretch(1);
    grid->addLayout(buttons, 3, 0, 1, 3);

    grid->addWidget(caption(tr("Fit"), images), 4, 0);
    grid->addWidget(popup(QStringLiteral("backgroundImageMode"),
                          {tr("Fill"), tr("Fit"), tr("Stretch"), tr("Tile"), tr("Original")}, images),
                    4, 1, 1, 2);
    grid->addWidget(caption(tr("Scale"), images), 5, 0);
    grid->addWidget(slider(QStringLiteral("backgroundImageScale"), 5, 400, images), 5, 1);
    auto* scaleShown = new QLabel(images);
    scaleShown->setObjectName(QStringLiteral("backgroundImageScale"));
    grid->addWidget(scaleShown, 5, 2);
    return images;
}

QListView* ZVBackgroundPicker::buildCollection(QWidget* parent, const QString& name, bool art)
{
    auto* list = new QListView(parent);
    list->setObjectName(name);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setIconSize(QSize(52, 40));
    list->setGridSize(QSize(64, 58));
    list->setWordWrap(true);
    list->setFixedHeight(110);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* model = new QStandardItemModel(list);
    for (const BackgroundPicture& picture : art ? backgroundArt() : backgroundTextures())
        model->appendRow(new ZVBackgroundImageCollectionViewItem(picture.name, Image(picture.image), QSize(52, 40)));
    list->setModel(model);
    connect(list, &QListView::clicked, this, [this, model](const QModelIndex& index) {
        if (auto* item = static_cast<ZVBackgroundImageCollectionViewItem*>(model->itemFromIndex(index)))
            choosePicture(item->image());
    });
    return list;
}

void ZVBackgroundPicker::bindControls(QWidget* view)
{
    const auto find = [view](const char* name) {
        QList<QObject*> found;
        for (QObject* object : view->findChildren<QObject*>(QString::fromLatin1(name)))
            if (object->isWidgetType() || qobject_cast<QButtonGroup*>(object))
                found.append(object);
        return found;
    };
    const auto is = [](int wanted) { return [wanted](const QVariant& v) { return v.toInt() == wanted; }; };

    KeyPathBinding::Options typeOptions = Options::numbers(Number::Integer);
    typeOptions.write = [this](KVObject& target, const QVariant& value) {
        writeKeepingGradient(target, QStringLiteral("backgroundType"), value);
    };
    m_bindings->bind(find("backgroundType").value(0), QStringLiteral("backgroundType"), typeOptions);

    m_bindings->bind(std::make_unique<SliderAdapter>(view->findChild<QSlider*>(QStringLiteral("backgroundOpacity")), 100),
                     QStringLiteral("backgroundOpacity"), Options::numbers(Number::Double, 0.0, 1.0));
    m_bindings->bind(view->findChild<QLineEdit*>(QStringLiteral("backgroundOpacity")),
                     QStringLiteral("backgroundOpacity"),
                     Options::numbers(Number::Double, 0.0, 1.0, QStringLiteral("ZVPercentageTransformer")));
    for (const char* name : {"backgroundColor", "backgroundGradientColor1", "backgroundGradientColor2"})
        m_bindings->bind(find(name).value(0), QString::fromLatin1(name));

    KeyPathBinding::Options kindOptions = Options::numbers(Number::Integer);
    kindOptions.write = [this](KVObject& target, const QVariant& value) {
        writeKeepingGradient(target, QStringLiteral("backgroundGradientType"), value);
    };
    m_bindings->bind(find("backgroundGradientType").value(0), QStringLiteral("backgroundGradientType"), kindOptions);
    m_bindings->bind(
        std::make_unique<SliderAdapter>(view->findChild<QSlider*>(QStringLiteral("backgroundGradientSplit")), 100),
        QStringLiteral("backgroundGradientSplit"), Options::numbers(Number::Double, 0.0, 1.0));
    m_bindings->bind(view->findChild<QDial*>(QStringLiteral("backgroundGradientAngle")),
                     QStringLiteral("backgroundGradientAngle"), Options::numbers(Number::Double));
    m_bindings->bind(view->findChild<QLineEdit*>(QStringLiteral("backgroundGradientAngle")),
                     QStringLiteral("backgroundGradientAngle"),
                     Options::numbers(Number::Double, std::nullopt, std::nullopt, QStringLiteral("ZVDegreesTransformer2")));

    KeyPathBinding::Options gradientOptions;
    gradientOptions.write = [](KVObject& target, const QVariant& value) {
        setGradientUndoably(static_cast<ZVBackgroundView*>(&target), value);
    };
    m_bindings->bind(m_gradientWell, QStringLiteral("gradient"), gradientOptions);

    m_bindings->bind(find("backgroundImageType").value(0), QStringLiteral("backgroundImageType"),
                     Options::numbers(Number::Integer));
    m_bindings->bind(find("backgroundImageMode").value(0), QStringLiteral("backgroundImageMode"),
                     Options::numbers(Number::Integer));
    m_bindings->bind(
        std::make_unique<SliderAdapter>(view->findChild<QSlider*>(QStringLiteral("backgroundImageScale")), 100),
        QStringLiteral("backgroundImageScale"), Options::numbers(Number::Double, 0.01));
    m_bindings->bind(view->findChild<QLabel*>(QStringLiteral("backgroundImageScale")),
                     QStringLiteral("backgroundImageScale"),
                     Options::numbers(Number::AsIs, std::nullopt, std::nullopt, QStringLiteral("ZVPercentageTransformer")));
    m_bindings->bind(find("puttyView.cropMode").value(0), QStringLiteral("puttyView.cropMode"));

    // What shows for which kind of background.
    const auto notZero = [](const QVariant& v) { return v.toInt() != 0; };
    for (const char* name : {"opacityLabel", "backgroundOpacity"})
        for (QObject* widget : find(name))
            m_bindings->bindVisibility(static_cast<QWidget*>(widget), QStringLiteral("backgroundType"), notZero);
    for (const char* name : {"colourLabel", "backgroundColor"})
        m_bindings->bindVisibility(view->findChild<QWidget*>(QString::fromLatin1(name)),
                                   QStringLiteral("backgroundType"), is(1));
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("gradientBox")),
                               QStringLiteral("backgroundType"), is(2));
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("imageBox")),
                               QStringLiteral("backgroundType"), is(3));
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("twoColourGradient")),
                               QStringLiteral("backgroundGradientType"), [](const QVariant& v) { return v.toInt() < 2; });
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("customGradient")),
                               QStringLiteral("backgroundGradientType"), [](const QVariant& v) { return v.toInt() >= 2; });
    const auto shown = [](const QVariant& hidden) { return !hidden.toBool(); };
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("backgroundImagePicker")),
                               QStringLiteral("backgroundImagePickerHidden"), shown);
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("backgroundArtPicker")),
                               QStringLiteral("backgroundArtPickerHidden"), shown);
    m_bindings->bindVisibility(view->findChild<QWidget*>(QStringLiteral("puttyView.cropMode")),
                               QStringLiteral("vectorBacking"), [](const QVariant& v) { return v.toBool(); });
    m_bindings->setTarget(background());
}

void ZVBackgroundPicker::writeKeepingGradient(KVObject& target, const QString& key, const QVariant& value)
{
    auto& background = static_cast<ZVBackgroundView&>(target);
    // Leaving a custom gradient, or rebuilding a two-colour one, drops the
    // gradient the background holds: one Undo brings it back.
    if (background.gradient().isValid())
        recordGradientRestore(&background, background.gradient());
    if (const Status status = background.setValueForKey(key, value); !status)
        return;
    if (isCustomGradient(background) && !background.gradient().isValid())
        setGradientUndoably(&background, QVariant::fromValue(m_gradientWell->gradient()));
}

void ZVBackgroundPicker::choosePicture(const Image& picture)
{
    ZVBackgroundView* background = this->background();
    if (!background)
        return;
    if (picture.isNull() || !(picture.size().width() > 0)) {
        alert(tr("The picture cannot be used."), tr("It has no width, so it cannot be scaled to fit."));
        return;
    }
    ZVPuttyView* element = background->vectorBacking() ? background->puttyView() : nullptr;
    auto* shape = element ? qobject_cast<ZVVectorView*>(element->contentView()) : nullptr;
    if (!shape) {
        if (!(picture == background->backgroundImage()))
            background->setBackgroundImage(picture);
        return;
    }
    // A shape's fill starts fitted to the shape's width, from its corner.
    background->setBackgroundImageScale(element->contentFrame().width() / picture.size().width());
    shape->setImageOrigin(QPointF(0, 0));
    shape->setBackgroundOffset(QPointF(0, 0));
    background->setBackgroundImage(picture);
    background->setBackgroundImageMode(ZVBackgroundView::ScaleToFillMode);
}

void ZVBackgroundPicker::chooseFile()
{
    Prompter* prompter = this->prompter();
    if (!background() || !prompter)
        return;
    FilePanelRequest request;
    request.title = tr("Choose a Picture");
    request.allowedExtensions = ZVDesignHelper::sharedInstance().allowedImageExtensions();
    const QStringList chosen = prompter->runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    Result<Image> picture = Image::fromFile(chosen.first());
    if (!picture) {
        alert(tr("The picture could not be opened."),
              tr("“%1” is not a picture Quiverleaf can read.").arg(QFileInfo(chosen.first()).fileName()));
        return;
    }
    choosePicture(*picture);
}

void ZVBackgroundPicker::deactivateWells()
{
    if (!isViewLoaded())
        return;
    for (GPColorWell* well : view()->findChildren<GPColorWell*>())
        well->deactivate();
    for (GPGradientWell* well : view()->findChildren<GPGradientWell*>())
        well->deactivate();
}

Prompter* ZVBackgroundPicker::prompter() const
{
    return m_prompter ? m_prompter : DocumentController::shared().prompter();
}

void ZVBackgroundPicker::alert(const QString& message, const QString& details) const
{
    if (Prompter* prompter = this->prompter()) {
        AlertRequest request;
        request.messageText = message;
        request.informativeText = details;
        prompter->runAlert(request);
    }
}

} // namespace ql
