// One tab of an icon tab bar: its icon, its tag, a tool tip and an optional
// key equivalent with its modifiers.
#pragma once

#include <QImage>
#include <QKeySequence>
#include <QObject>

namespace ql {

class TBTabBarItem : public QObject {
    Q_OBJECT
public:
    static TBTabBarItem* tabBarItemWithIcon(const QImage& icon, unsigned tag);

    QImage icon() const { return m_icon; }
    unsigned tag() const { return m_tag; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip) { m_toolTip = toolTip; }
    QString keyEquivalent() const { return m_keyEquivalent; }
    void setKeyEquivalent(const QString& key) { m_keyEquivalent = key; }
    Qt::KeyboardModifiers keyEquivalentModifierMask() const { return m_modifiers; }
    void setKeyEquivalentModifierMask(Qt::KeyboardModifiers modifiers) { m_modifiers = modifiers; }
    // The key equivalent as a shortcut; empty without one.
    QKeySequence shortcut() const;

private:
    QImage m_icon;
    unsigned m_tag = 0;
    QString m_toolTip;
    QString m_keyEquivalent;
    Qt::KeyboardModifiers m_modifiers;
};

} // namespace ql
