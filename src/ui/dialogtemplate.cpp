#include "ui/dialogtemplate.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/texts.h"
#include "ui/laplist.h"
#include "ui/timedisplay.h"

namespace zelvano {

namespace t = texts;
using K = ControlKind;

const std::array<ControlTemplate, 27> mainWindowTemplate { {
    { IDOK, K::DefaultButton, t::closeButton, { 235, 158, 37, 14 } },
    { IDC_START, K::PushButton, t::startButton, { 54, 58, 36, 20 } },
    { IDC_STOP, K::PushButton, t::stopButton, { 95, 58, 36, 20 } },
    { IDC_SLIDE, K::PushButton, t::slideButton, { 161, 128, 42, 20 } },
    { IDC_STATIC, K::GroupBox, t::bellGroup, { 7, 87, 132, 85 } },
    { IDC_STATIC, K::Label, t::bell1Label, { 14, 101, 38, 8 }, IDC_BELL1_MINUTES },
    { IDC_BELL1_MINUTES, K::Edit, "", { 53, 98, 22, 14 } },
    { IDC_BELL2_MINUTES, K::Edit, "", { 53, 116, 22, 14 } },
    { IDC_BELL3_MINUTES, K::Edit, "", { 53, 134, 22, 14 } },
    { IDC_TIME_DISPLAY, K::TimeDisplay, "", { 16, 16, 115, 36 } },
    { IDC_SLIDE_LIST, K::SortedList, "", { 153, 16, 113, 106 } },
    { IDC_SETTINGS_TOGGLE, K::PushButton, t::settingsToggleInitial, { 80, 153, 52, 14 } },
    { IDC_STATIC, K::GroupBox, t::timerGroup, { 7, 2, 132, 81 } },
    { IDC_STATIC, K::GroupBox, t::slideGroup, { 146, 2, 126, 151 } },
    { IDC_SAVE, K::PushButton, t::saveButton, { 217, 128, 42, 20 } },
    { IDC_TEST, K::PushButton, t::testButton, { 14, 153, 52, 14 } },
    { IDC_STATIC, K::Label, t::bell2Label, { 14, 119, 38, 8 }, IDC_BELL2_MINUTES },
    { IDC_STATIC, K::Label, t::bell3Label, { 14, 137, 38, 8 }, IDC_BELL3_MINUTES },
    { IDC_STATIC, K::Label, t::minutesLabel, { 77, 101, 21, 8 }, IDC_BELL1_MINUTES },
    { IDC_STATIC, K::Label, t::minutesLabel, { 77, 119, 21, 8 }, IDC_BELL2_MINUTES },
    { IDC_STATIC, K::Label, t::minutesLabel, { 77, 137, 21, 8 }, IDC_BELL3_MINUTES },
    { IDC_BELL1_COUNT, K::Edit, "", { 99, 98, 22, 14 } },
    { IDC_BELL2_COUNT, K::Edit, "", { 99, 116, 22, 14 } },
    { IDC_BELL3_COUNT, K::Edit, "", { 99, 134, 22, 14 } },
    { IDC_STATIC, K::Label, t::timesLabel, { 124, 101, 8, 8 }, IDC_BELL1_COUNT },
    { IDC_STATIC, K::Label, t::timesLabel, { 124, 119, 8, 8 }, IDC_BELL2_COUNT },
    { IDC_STATIC, K::Label, t::timesLabel, { 124, 137, 8, 8 }, IDC_BELL3_COUNT },
} };

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    static const QString alphabet
        = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = metrics.horizontalAdvance(alphabet);
    m_averageCharWidth = (total / 26 + 1) / 2;
    m_charHeight = metrics.height();
}

QRect DialogUnits::toPixels(const QRect& units) const
{
    const auto x = [this](int value) { return (value * m_averageCharWidth + 2) / 4; };
    const auto y = [this](int value) { return (value * m_charHeight + 4) / 8; };
    return QRect(x(units.x()), y(units.y()), x(units.width()), y(units.height()));
}

QSize DialogUnits::toPixels(const QSize& units) const
{
    return toPixels(QRect(QPoint(0, 0), units)).size();
}

QFont dialogFont()
{
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
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
        case K::Edit:
        case K::TimeDisplay: {
            QLineEdit* edit
                = control.kind == K::TimeDisplay ? new TimeDisplay(parent) : new QLineEdit(parent);
            edit->setAlignment(Qt::AlignCenter);
            return edit;
        }
        case K::SortedList:
            return new LapList(parent);
        }
        return nullptr;
    }

} // namespace

std::map<int, QWidget*> buildControls(
    QWidget* parent, std::span<const ControlTemplate> controls, const DialogUnits& units)
{
    std::map<int, QWidget*> byId;
    std::vector<QWidget*> groupBoxes;
    std::vector<std::pair<QLabel*, int>> buddies;
    for (const ControlTemplate& control : controls) {
        QWidget* widget = makeControl(parent, control);
        widget->setGeometry(units.toPixels(control.units));
        if (control.kind == K::GroupBox)
            groupBoxes.push_back(widget);
        if (control.buddy != IDC_STATIC)
            buddies.emplace_back(qobject_cast<QLabel*>(widget), control.buddy);
        if (control.id != IDC_STATIC)
            byId[control.id] = widget;
    }
    for (const auto& [label, buddy] : buddies)
        label->setBuddy(byId.at(buddy));
    // Group boxes are frames drawn behind their neighbours; they must not cover the buttons
    // inside them or take their clicks.
    for (QWidget* groupBox : groupBoxes)
        groupBox->lower();
    return byId;
}

} // namespace zelvano
