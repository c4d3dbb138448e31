#include "panels/controls/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QToolButton>

namespace ql {

SegmentedControl::SegmentedControl(QWidget* parent) : QWidget(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::segmentChosen);
}

void SegmentedControl::setSegments(const QList<QImage>& icons, const QStringList& toolTips)
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < icons.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(QIcon(QPixmap::fromImage(icons[i])));
        button->setIconSize(QSize(18, 18));
        button->setToolTip(toolTips.value(i));
        button->setObjectName(QStringLiteral("segment%1").arg(i));
        m_group->addButton(button, i);
        layout()->addWidget(button);
        m_buttons.append(button);
    }
}

int SegmentedControl::selectedSegment() const
{
    return m_group->checkedId();
}

void SegmentedControl::setSelectedSegment(int segment)
{
    const QSignalBlocker blocker(m_group);
    if (QAbstractButton* button = m_group->button(segment)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

bool SegmentedControl::isEnabledForSegment(int segment) const
{
    const QToolButton* button = m_buttons.value(segment);
    return button && button->isEnabled();
}

void SegmentedControl::setEnabled(bool enabled, int segment)
{
    if (QToolButton* button = m_buttons.value(segment))
        button->setEnabled(enabled);
}

} // namespace ql
