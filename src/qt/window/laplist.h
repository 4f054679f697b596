#pragma once

#include <string>

#include <QListWidget>

namespace zelvano {

// The slide list. Lines stand in lapLineBefore order, whatever the user's locale, and adding one
// never scrolls. Nothing can be selected, and no current line is drawn either, so arrow keys only
// move the view. The vertical scroll bar is always shown and enabled only while the lines overflow.
class LapList final : public QListWidget
{
    Q_OBJECT

public:
    explicit LapList(QWidget* parent);

    void addLine(const std::string& line);
    std::string line(int index) const;
};

} // namespace zelvano
