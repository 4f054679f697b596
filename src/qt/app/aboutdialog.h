#pragma once

#include <QDialog>

namespace zelvano {

// The program's name, version and a notice line, over an OK button.
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
};

} // namespace zelvano
