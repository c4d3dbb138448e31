#include "panels/inspectors/ZVEmptyViewController.h"

#include <QLabel>

namespace ql {

void ZVEmptyViewController::buildView(QWidget* view)
{
    auto* note = new QLabel(tr("Select one element on the page to see the properties of its content."), view);
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    note->setEnabled(false);
    addToView(view, note);
}

} // namespace ql
