#include "qt/laplist.h"

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
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (lapLineBefore(line, this->line(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    insertItem(low, QString::fromStdString(line));
}

std::string LapList::line(int index) const { return item(index)->text().toStdString(); }

} // namespace zelvano
