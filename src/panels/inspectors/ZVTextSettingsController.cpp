#include "panels/inspectors/ZVTextSettingsController.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"
#include "panels/inspectors/FieldFormatPopup.h"
#include "panels/inspectors/InspectorForm.h"
#include "panels/inspectors/TextStyleList.h"
#include "panels/inspectors/UndoableSetting.h"
#include "platform/graphics/FontResolver.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace ql {

namespace {

using Options = KeyPathBinding::Options;
using Number = KeyPathBinding::NumberKind;

ZVTextView* textOf(KVObject& element)
{
    auto* putty = qobject_cast<ZVPuttyView*>(&element);
    return putty ? qobject_cast<ZVTextView*>(putty->contentView()) : nullptr;
}

Options points(std::optional<double> minimum = 0.0, std::optional<double> maximum = std::nullopt)
{
    return Options::numbers(Number::Double, minimum, maximum, QStringLiteral("ZVPointsTransformer"));
}

// Calls an operation of the text view with the value in place of setting
// the key path (colours, emphasis, alignment record their own undo).
Options calling(std::function<void(ZVTextView&, const QVariant&)> operation, Options options = {})
{
    options.write = [operation = std::move(operation)](KVObject& target, const QVariant& value) {
        if (ZVTextView* text = textOf(target))
            operation(*text, value);
    };
    return options;
}

QToolButton* toolButton(const QString& title, const QString& name, const QString& accessible, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(title);
    button->setObjectName(name);
    button->setAccessibleName(accessible);
    button->setCheckable(true);
    return button;
}

QWidget* buttonRow(QWidget* parent, const QList<QToolButton*>& buttons)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (QToolButton* button : buttons) {
        button->setParent(row);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return row;
}

} // namespace

ZVTextView* ZVTextSettingsController::textView() const
{
    return element() ? textOf(*element()) : nullptr;
}

bool ZVTextSettingsController::showsElement(const ZVPuttyView& element) const
{
    return qobject_cast<ZVTextView*>(element.contentView()) != nullptr;
}

void ZVTextSettingsController::elementChanged(ZVPuttyView*)
{
    // The box's settings start as the defaults whatever text it was given (a
    // sample's 32-point title, say): the fields show what the text holds.
    if (ZVTextView* text = textView())
        text->getCurrentFont(true);
}

void ZVTextSettingsController::buildView(QWidget* view)
{
    InspectorForm form(view, *bindings());
    buildFont(form);
    buildParagraph(form);
    buildOverlay(form);
    buildFields(form);
    form.heading(tr("Styles"));
    m_styles = new TextStyleList(ZVDesignHelper::sharedInstance().defaults(), [this] { return currentFont(); },
                                 form.widget());
    connect(m_styles, &TextStyleList::styleChosen, this, &ZVTextSettingsController::applyStyle);
    form.row(QString(), m_styles);
    addToView(view, form.widget());
}

void ZVTextSettingsController::buildFont(InspectorForm& form)
{
    form.heading(tr("Font"));
    form.families(tr("Family"), QStringLiteral("contentView.currentFontFamilyName"));

    auto* faces = new QComboBox(form.widget());
    faces->setObjectName(QStringLiteral("contentView.currentFontTypeFaceIndex"));
    form.row(tr("Typeface"), faces);
    Options face = Options::numbers(Number::Integer, 0);
    face.display = [faces](const QVariant& index) -> QVariant {
        const qint64 i = index.isValid() ? index.toLongLong() : -1;
        return i >= 0 && i < faces->count() ? int(i) : -1;
    };
    KeyPathBinding* faceBinding = bindings()->bind(faces, faces->objectName(), face);
    // The faces listed are the family's, whatever family is shown.
    bindings()->bind(std::make_unique<ShowingAdapter>(faces,
                                                      [faces, faceBinding](const QVariant& familyName) {
                                                          const QSignalBlocker blocker(faces);
                                                          faces->clear();
                                                          faces->addItems(FontResolver::memberStyleNames(
                                                              familyName.toString()));
                                                          faceBinding->refresh();
                                                      }),
                     QStringLiteral("contentView.currentFontFamilyName"));

    form.field(tr("Size"), QStringLiteral("contentView.currentFontSize"), points(1.0, 9999.0));
    Options textColour =
        calling([](ZVTextView& text, const QVariant& colour) { text.setTextColor(colour.value<Color>()); });
    // Text without a colour of its own is drawn black.
    textColour.display = [](const QVariant& colour) {
        return colour.isValid() ? colour : QVariant::fromValue(Color::black());
    };
    form.well(tr("Colour"), QStringLiteral("contentView.currentTextColor"), textColour);
    form.well(tr("Highlight"), QStringLiteral("contentView.currentHighlightColor"),
              calling([](ZVTextView& text, const QVariant& colour) { text.setHighlightColor(colour.value<Color>()); }));

    const QString emphasisKey = QStringLiteral("contentView.currentEmphasis");
    QList<QToolButton*> emphasis;
    const struct {
        const char* title;
        const char* name;
        int code;
    } styles[] = {{"B", QT_TR_NOOP("Bold"), ZVTextView::BoldEmphasis},
                  {"I", QT_TR_NOOP("Italic"), ZVTextView::ItalicEmphasis},
                  {"U", QT_TR_NOOP("Underline"), ZVTextView::UnderlineEmphasis},
                  {"S", QT_TR_NOOP("Strikethrough"), ZVTextView::StrikethroughEmphasis}};
    for (const auto& style : styles) {
        QToolButton* button = toolButton(QString::fromLatin1(style.title), emphasisKey, tr(style.name), form.widget());
        const int code = style.code;
        Options toggle = calling([code](ZVTextView& text, const QVariant&) { text.setEmphasis(code); });
        toggle.display = [code](const QVariant& codes) -> QVariant {
            for (const QVariant& each : codes.toList())
                if (each.toInt() == code)
                    return true;
            return false;
        };
        bindings()->bind(button, emphasisKey, toggle);
        emphasis.append(button);
    }
    form.row(tr("Style"), buttonRow(form.widget(), emphasis));

    auto* alignments = new QButtonGroup(form.widget());
    alignments->setObjectName(QStringLiteral("contentView.currentJustification"));
    QList<QToolButton*> alignmentButtons;
    const char* const alignmentNames[] = {QT_TR_NOOP("Left"), QT_TR_NOOP("Centre"), QT_TR_NOOP("Right"),
                                          QT_TR_NOOP("Justified")};
    for (int code = 0; code < 4; ++code) {
        QToolButton* button = toolButton(tr(alignmentNames[code]).left(1), QStringLiteral("justification"),
                                         tr(alignmentNames[code]), form.widget());
        alignments->addButton(button, code);
        alignmentButtons.append(button);
    }
    form.row(tr("Alignment"), buttonRow(form.widget(), alignmentButtons));
    bindings()->bind(alignments, alignments->objectName(),
                     calling([](ZVTextView& text, const QVariant& code) { text.setJustification(code.toLongLong()); },
                             Options::numbers(Number::Integer, 0, 3)));
}

void ZVTextSettingsController::buildParagraph(InspectorForm& form)
{
    form.heading(tr("Paragraph"));
    form.field(tr("Letters"), QStringLiteral("contentView.currentLetterSpacing"), points(std::nullopt));
    form.field(tr("Lines"), QStringLiteral("contentView.currentLineSpacing"),
               Options::numbers(Number::Double, 0.1, 10.0, QStringLiteral("ZVNumberTransformer")));
    form.field(tr("After"), QStringLiteral("contentView.currentParagraphSpacing"), points());
    form.field(tr("First line"), QStringLiteral("contentView.currentParagraphIndent"), points());
    form.field(tr("Indent"), QStringLiteral("contentView.currentParagraphNextIndent"), points());
    form.field(tr("Inset top"), QStringLiteral("contentView.currentVerticalInsetMargins"), points());
    form.field(tr("Inset side"), QStringLiteral("contentView.currentHorizontalInsetMargins"), points());
    form.check(tr("Hyphenate"), QStringLiteral("contentView.allowHyphenation"));

    form.heading(tr("Outline"));
    form.check(tr("Outline the letters"), QStringLiteral("contentView.strokeEnabled"));
    form.field(tr("Width"), QStringLiteral("contentView.strokeWidth"), points());
    // The text keeps its outline colour without an undo step of its own.
    Options colour;
    colour.write = [this](KVObject& target, const QVariant& value) {
        setValueRecordingUndo(target, QStringLiteral("contentView.strokeColor"), value, undoManager());
    };
    form.well(tr("Colour"), QStringLiteral("contentView.strokeColor"), colour);
}

void ZVTextSettingsController::buildOverlay(InspectorForm& form)
{
    form.heading(tr("Overlay"));
    const QString gradientKey = QStringLiteral("contentView.gradient");
    const QString kindKey = QStringLiteral("contentView.gradientType");
    auto* well = new GPGradientWell(form.widget());
    well->setObjectName(gradientKey);
    well->setGradient(GPGradients::spectrumGradient());
    form.row(tr("Gradient"), well);
    Options gradient;
    gradient.write = [this, kindKey, gradientKey](KVObject& target, const QVariant& value) {
        target.setValueForKeyPath(gradientKey, value);
        // A first gradient is drawn straight across.
        const QVariant kind = target.valueForKeyPath(kindKey);
        if (!kind.isValid() || kind.toInt() < 0 || kind.toInt() > 3)
            setValueRecordingUndo(target, kindKey, 0, undoManager());
    };
    bindings()->bind(well, gradientKey, gradient);

    // Kind and angle have no undo of their own, and the text redraws its
    // overlay when the gradient is set again.
    const auto redrawing = [gradientKey](KVObject& target) {
        target.setValueForKeyPath(gradientKey, target.valueForKeyPath(gradientKey));
    };
    auto* kinds = new QComboBox(form.widget());
    kinds->setObjectName(kindKey);
    kinds->addItems({tr("None"), tr("Linear"), tr("Radial")});
    form.row(tr("Kind"), kinds);
    Options kind;
    kind.display = [](const QVariant& type) -> QVariant {
        return type.isValid() && type.toInt() >= 0 && type.toInt() <= 3 ? 1 + type.toInt() % 2 : 0;
    };
    kind.parse = [](const QVariant& index) -> QVariant { return index.toInt() - 1; };
    kind.write = [this, redrawing, gradientKey, kindKey, well](KVObject& target, const QVariant& value) {
        if (value.toInt() < 0) {
            // "None" takes the overlay away, undoably.
            target.setValueForKeyPath(gradientKey, QVariant());
            return;
        }
        if (!target.valueForKeyPath(gradientKey).isValid())
            target.setValueForKeyPath(gradientKey, QVariant::fromValue(well->gradient()));
        setValueRecordingUndo(target, kindKey, value, undoManager(), redrawing);
    };
    KeyPathBinding* kindBinding = bindings()->bind(kinds, kindKey, kind);
    // "None" shows whenever there is no gradient, whatever the kind says.
    bindings()->bind(std::make_unique<ShowingAdapter>(kinds,
                                                      [kindBinding, kinds](const QVariant& shown) {
                                                          kindBinding->refresh();
                                                          if (!shown.isValid())
                                                              kinds->setCurrentIndex(0);
                                                      }),
                     gradientKey);

    Options angle = Options::numbers(Number::Double, std::nullopt, std::nullopt,
                                     QStringLiteral("ZVDegreesTransformer2"));
    angle.write = [this, redrawing](KVObject& target, const QVariant& value) {
        setValueRecordingUndo(target, QStringLiteral("contentView.gradientAngle"), value, undoManager(), redrawing);
    };
    form.field(tr("Angle"), QStringLiteral("contentView.gradientAngle"), angle);
}

void ZVTextSettingsController::buildFields(InspectorForm& form)
{
    QWidget* heading = form.heading(tr("Field"));
    const QString typeKey = QStringLiteral("contentView.textViewType");
    const auto isType = [](int wanted) { return [wanted](const QVariant& type) { return type.toInt() == wanted; }; };
    bindings()->bindVisibility(heading, typeKey, [](const QVariant& type) { return type.toInt() != 0; });

    const struct {
        const char* heading;
        const char* key;
        int type;
        QVariantList (ZVTextView::*choices)() const;
    } popups[] = {
        {QT_TR_NOOP("Page Number Format"), "contentView.selectedPageNumberFormat", ZVTextView::PageNumber,
         &ZVTextView::pageNumberFormats},
        {QT_TR_NOOP("Date Format"), "contentView.selectedDateFormat", ZVTextView::Date, &ZVTextView::dateFormats},
    };
    for (const auto& p : popups) {
        auto* popup = new FieldFormatPopup(tr(p.heading), form.widget());
        const QString key = QString::fromLatin1(p.key);
        popup->setObjectName(key);
        const auto choices = p.choices;
        popup->setChoices([this, choices] {
            ZVTextView* text = textView();
            return text ? (text->*choices)() : QVariantList();
        });
        form.row(QString(), popup);
        Options choose;
        choose.display = [](const QVariant&) -> QVariant { return 0; };
        choose.parse = [popup](const QVariant& index) { return popup->choice(index.toInt()); };
        choose.write = [key](KVObject& target, const QVariant& choice) {
            if (choice.isValid())
                target.setValueForKeyPath(key, choice);
        };
        bindings()->bind(popup, key, choose);
        bindings()->bindVisibility(popup, typeKey, isType(p.type));
    }
    QLineEdit* start = form.field(tr("First page"), QStringLiteral("contentView.startPage"),
                                  Options::numbers(Number::Integer, std::nullopt, std::nullopt,
                                                   QStringLiteral("ZVNumberTransformer")));
    for (QWidget* widget : {static_cast<QWidget*>(start), static_cast<QWidget*>(form.captionOf(start))})
        bindings()->bindVisibility(widget, typeKey, isType(ZVTextView::PageNumber));
}

std::optional<Font> ZVTextSettingsController::currentFont() const
{
    ZVTextView* text = textView();
    if (!text)
        return std::nullopt;
    const QVariant font = text->getCurrentFont(false);
    if (font.metaType() == QMetaType::fromType<Font>())
        return font.value<Font>();
    // Several fonts in the text: the one its settings name.
    const QStringList faces = text->typeFaceFonts();
    if (faces.isEmpty())
        return std::nullopt;
    const qint64 index = text->currentFontTypeFaceIndex();
    return Font(faces.value(index >= 0 && index < faces.size() ? qsizetype(index) : 0),
                text->currentFontSize().toDouble());
}

void ZVTextSettingsController::applyStyle(const Font& font)
{
    ZVTextView* text = textView();
    if (!text)
        return;
    // Through the settings, so that the inspector shows it and Undo takes
    // it back as one step.
    const QString family = FontResolver::familyOf(font.postScriptName());
    if (!family.isEmpty()) {
        text->setCurrentFontFamilyName(family);
        text->setCurrentFontTypeFaceIndex(FontResolver::indexInFamily(font.postScriptName()));
    }
    text->setCurrentFontSize(font.pointSize());
}

} // namespace ql
