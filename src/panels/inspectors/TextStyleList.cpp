#include "panels/inspectors/TextStyleList.h"

#include "util/ArrayExtensions.h"
#include "design/TextStyleSeeds.h"
#include "platform/graphics/FontResolver.h"
#include "platform/runtime/UserDefaults.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace ql {

namespace {

const QString stylesKey = QStringLiteral("textStyles");

} // namespace

TextStyleList::TextStyleList(UserDefaults& defaults, std::function<std::optional<Font>()> currentFont,
                             QWidget* parent)
    : QWidget(parent), m_defaults(defaults), m_currentFont(std::move(currentFont)), m_list(new QListWidget(this)),
      m_name(new QLineEdit(this)), m_add(new QPushButton(QStringLiteral("+"), this))
{
    setObjectName(stylesKey);
    m_list->setObjectName(QStringLiteral("textStyleList"));
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setFixedHeight(140);
    m_name->setObjectName(QStringLiteral("textStyleName"));
    m_name->setPlaceholderText(tr("Style name"));
    m_add->setObjectName(QStringLiteral("addTextStyle"));
    m_add->setToolTip(tr("Keep the text's font as a style"));
    m_add->setEnabled(false);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_list, 0, 0, 1, 2);
    grid->addWidget(m_name, 1, 0);
    grid->addWidget(m_add, 1, 1);

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_add->setEnabled(!text.trimmed().isEmpty()); });
    connect(m_name, &QLineEdit::returnPressed, this, &TextStyleList::addStyle);
    connect(m_add, &QPushButton::clicked, this, &TextStyleList::addStyle);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (std::optional<Font> font = fontOfTextStyle(styles().value(m_list->row(item))))
            emit styleChosen(*font);
    });
    connect(m_list->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
                // Stored once the list has finished the move it is reporting.
                const int to = row > start ? row - 1 : row;
                QMetaObject::invokeMethod(this, [this, start, to] { moveStyle(start, to); }, Qt::QueuedConnection);
            });
    reload();
}

QVariantList TextStyleList::styles() const
{
    return m_defaults.arrayForKey(stylesKey);
}

void TextStyleList::reload()
{
    const QSignalBlocker blocker(m_list->model());
    m_list->clear();
    for (const QVariant& style : styles()) {
        auto* item = new QListWidgetItem(style.toMap().value(QStringLiteral("title")).toString(), m_list);
        if (std::optional<Font> font = fontOfTextStyle(style)) {
            QFont shown = FontResolver::resolve(font->postScriptName(), FontResolver::defaultPointSize);
            shown.setPointSizeF(item->font().pointSizeF() + 1);
            item->setFont(shown);
            item->setToolTip(QStringLiteral("%1 %2 pt").arg(font->postScriptName()).arg(font->pointSize()));
        }
    }
}

void TextStyleList::addStyle()
{
    const QString title = m_name->text().trimmed();
    const std::optional<Font> font = m_currentFont ? m_currentFont() : std::nullopt;
    if (title.isEmpty() || !font)
        return;
    const QVariantMap style = textStyle(title, *font);
    if (style.isEmpty())
        return;
    QVariantList stored = styles();
    stored.append(style);
    m_defaults.setObject(stylesKey, stored);
    m_name->clear();
    reload();
}

void TextStyleList::moveStyle(int from, int to)
{
    QVariantList stored = styles();
    if (from < 0 || from >= stored.size() || to < 0 || from == to)
        return reload();
    moveObjectFromIndex(stored, from, to);
    m_defaults.setObject(stylesKey, stored);
    reload();
}

} // namespace ql
