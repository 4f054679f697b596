#include "qt/window/dialogbuilder.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/window/laplist.h"
#include "qt/window/timedisplay.h"

namespace zelvano {

using K = ControlKind;

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    static const QString alphabet
        = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = metrics.horizontalAdvance(alphabet);
    m_averageCharWidth = (total / 26 + 1) / 2;
    m_charHeight = metrics.height();
}

QRect DialogUnits::toPixels(const DialogRect& units) const
{
    const auto x = [this](int value) { return (value * m_averageCharWidth + 2) / 4; };
    const auto y = [this](int value) { return (value * m_charHeight + 4) / 8; };
    return QRect(x(units.x), y(units.y), x(units.width), y(units.height));
}

QSize DialogUnits::toPixels(int width, int height) const
{
    return toPixels(DialogRect { 0, 0, width, height }).size();
}

// Debian's Japanese face stands in for the Windows one the template names.
QFont dialogFont()
{
    QFont font(QStringLiteral("Noto Sans CJK JP"), dialogFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

namespace {

    QWidget* makeControl(QWidget* parent, const ControlTemplate& control)
    {
        const QString text = QString::fromUtf8(control.text);
        switch (control.kind) {
        case K::PushButton:
        case K::DefaultButton: {
            auto* button = new QPushButton(text, parent);
            button->setDefault(control.kind == K::DefaultButton);
            return button;
        }
        case K::GroupBox:
            return new QGroupBox(text, parent);
        case K::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case K::Icon: {
            auto* label = new QLabel(parent);
            label->setPixmap(parent->windowIcon().pixmap(32, 32));
            return label;
        }
        case K::Edit: {
            auto* edit = new QLineEdit(parent);
            edit->setAlignment(Qt::AlignCenter);
            return edit;
        }
        case K::TimeDisplay:
            return new TimeDisplay(parent);
        case K::SortedList:
            return new LapList(parent);
        }
        return nullptr;
    }

} // namespace

ControlMap buildDialog(QWidget* dialog, const DialogTemplate& dialogTemplate)
{
    dialog->setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    dialog->setFont(dialogFont());
    const DialogUnits units(dialog->font());
    ControlMap byId;
    std::vector<QWidget*> groupBoxes;
    std::vector<std::pair<QLabel*, ControlId>> buddies;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = makeControl(dialog, control);
        widget->setGeometry(units.toPixels(control.units));
        if (control.kind == K::GroupBox)
            groupBoxes.push_back(widget);
        if (control.buddy != ControlId::Static)
            buddies.emplace_back(qobject_cast<QLabel*>(widget), control.buddy);
        if (control.id != ControlId::Static)
            byId[control.id] = widget;
    }
    for (const auto& [label, buddy] : buddies)
        label->setBuddy(byId.at(buddy));
    // Group boxes are frames drawn behind their neighbours; they must not cover the buttons
    // inside them or take their clicks.
    for (QWidget* groupBox : groupBoxes)
        groupBox->lower();
    dialog->setFixedSize(units.toPixels(dialogTemplate.width, dialogTemplate.height));
    return byId;
}

} // namespace zelvano
