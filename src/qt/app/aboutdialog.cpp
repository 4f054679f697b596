#include "qt/app/aboutdialog.h"

#include <QPushButton>

#include "core/windowlayout.h"
#include "qt/window/dialogbuilder.h"

namespace zelvano {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setWindowIcon(parent->windowIcon());
    const ControlMap byId = buildDialog(this, aboutBoxTemplate);
    auto* ok = qobject_cast<QPushButton*>(byId.at(ControlId::Ok));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

} // namespace zelvano
