// The text inspector's list of named text styles, kept in the user default
// "textStyles": a click on a style asks for its font to be applied, "+"
// stores a font under the name typed beside it, and dragging a style moves
// it in the list.
#pragma once

#include "platform/graphics/Font.h"

#include <QWidget>
#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace ql {

class UserDefaults;

class TextStyleList : public QWidget {
    Q_OBJECT
public:
    // `currentFont` gives the font "+" stores (nothing when there is none).
    TextStyleList(UserDefaults& defaults, std::function<std::optional<Font>()> currentFont,
                  QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QLineEdit* nameField() const { return m_name; }
    QPushButton* addButton() const { return m_add; }

    // Shows the stored styles again.
    void reload();
    // Stores the current font under the typed name, at the end of the list.
    void addStyle();
    // Moves a stored style, as a drag in the list does.
    void moveStyle(int from, int to);

signals:
    void styleChosen(const ql::Font& font);

private:
    QVariantList styles() const;

    UserDefaults& m_defaults;
    std::function<std::optional<Font>()> m_currentFont;
    QListWidget* m_list;
    QLineEdit* m_name;
    QPushButton* m_add;
};

} // namespace ql
