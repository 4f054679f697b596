#include "qt/window/dialogbuilder.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

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

QFont displayTypeface()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    return font;
}

namespace {

    // The display's font is sized by its character cell, ascent plus descent, not by its em: the
    // largest whole pixel size whose cell fits. Qt picks fonts in whole pixel sizes only, and those
    // of the dialog's CJK face give cells of 49 and 51 px; Debian's default sans face has a 50 px
    // cell, at 43 px. The cell grows in proportion to the size, so one measurement gives a guess
    // within a size or two; each size tried costs Qt a font engine, which start-up waits for.
    QFont displayFont()
    {
        QFont font = displayTypeface();
        const auto cellAt = [&font](int pixelSize) {
            font.setPixelSize(pixelSize);
            return QFontMetrics(font).height();
        };
        const int fullCell = cellAt(displayCellHeightPx);
        int pixelSize
            = std::clamp(displayCellHeightPx * displayCellHeightPx / std::max(1, fullCell), 1,
                displayCellHeightPx);
        while (pixelSize > 1 && cellAt(pixelSize) > displayCellHeightPx)
            --pixelSize;
        while (pixelSize < displayCellHeightPx && cellAt(pixelSize + 1) <= displayCellHeightPx)
            ++pixelSize;
        font.setPixelSize(pixelSize);
        return font;
    }

} // namespace

QWidget* plainControl(QWidget* parent, const ControlTemplate& control)
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
        auto* edit = new QLineEdit(parent);
        edit->setAlignment(Qt::AlignCenter);
        edit->setReadOnly(control.kind == K::TimeDisplay);
        return edit;
    }
    case K::SortedList: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return list;
    }
    }
    return nullptr;
}

ControlMap buildDialog(
    QWidget* dialog, const DialogTemplate& dialogTemplate, ControlMaker makeControl)
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
        if (control.kind == K::TimeDisplay)
            widget->setFont(displayFont());
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
