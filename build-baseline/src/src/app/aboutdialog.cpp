#include "app/aboutdialog.h"

#include <QPushButton>

#include "app/version.h"
#include "core/formatstring.h"
#include "core/texts.h"
#include "ui/dialogtemplate.h"

namespace zelvano {

namespace {
    constexpr QSize aboutClientUnits { 195, 55 };
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(texts::aboutCaption));
    setWindowIcon(parent->windowIcon());
    setFont(dialogFont());

    const std::string versionLine
        = formatString(texts::aboutVersionFormat, versionMajor, versionMinor);
    const std::array<ControlTemplate, 4> controls { {
        { IDC_STATIC, ControlKind::Icon, "", { 11, 17, 20, 20 } },
        { IDC_STATIC, ControlKind::Label, versionLine.c_str(), { 40, 10, 119, 8 } },
        { IDC_STATIC, ControlKind::Label, texts::aboutNotice, { 40, 25, 119, 8 } },
        { IDOK, ControlKind::DefaultButton, texts::okButton, { 138, 33, 50, 14 } },
    } };
    const DialogUnits units(font());
    const auto byId = buildControls(this, controls, units);
    setFixedSize(units.toPixels(aboutClientUnits));

    auto* ok = qobject_cast<QPushButton*>(byId.at(IDOK));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

} // namespace zelvano
