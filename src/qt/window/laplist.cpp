#include "qt/window/laplist.h"

#include <QScrollBar>
#include <QStyledItemDelegate>

#include "core/timerview.h"

namespace zelvano {

namespace {

    // Draws lines without the focus frame a current item would get.
    class PlainLineDelegate final : public QStyledItemDelegate
    {
    public:
        using QStyledItemDelegate::QStyledItemDelegate;

        void paint(QPainter* painter, const QStyleOptionViewItem& option,
            const QModelIndex& index) const override
        {
            QStyleOptionViewItem plain(option);
            plain.state &= ~QStyle::State_HasFocus;
            QStyledItemDelegate::paint(painter, plain, index);
        }
    };

} // namespace

LapList::LapList(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new PlainLineDelegate(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* bar = verticalScrollBar();
    bar->setEnabled(false);
    connect(bar, &QScrollBar::rangeChanged, bar,
        [bar](int minimum, int maximum) { bar->setEnabled(maximum > minimum); });
}

void LapList::addLine(const std::string& line)
{
    // Qt's own sorting compares by the user's collation, which puts lines from slide 1000 on in a
    // different place on every machine.
    const int position
        = lapLinePosition(line, count(), [this](int index) { return this->line(index); });
    insertItem(position, QString::fromStdString(line));
}

std::string LapList::line(int index) const { return item(index)->text().toStdString(); }

} // namespace zelvano
