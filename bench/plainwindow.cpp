// The program's main window written the plain way, the floor the program is measured against:
// the same description, texts and fonts turned into Qt's own widgets by the program's builder, run
// modally, with no timer logic, no sound and no session bus behind it. With
// ZELVANO_PLAIN_WINDOW_TICKING a Qt::PreciseTimer sets the display's text once a second.
#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "core/formatstring.h"
#include "core/texts.h"
#include "core/windowlayout.h"
#include "qt/window/dialogbuilder.h"

namespace {

QString elapsedText(int seconds)
{
    return QString::fromStdString(
        zelvano::formatString(zelvano::texts::displayFormat, seconds / 60, seconds % 60));
}

} // namespace

int main(int argc, char* argv[])
{
    using zelvano::ControlId;
    QApplication application(argc, argv);
    QDialog dialog;
    QIcon icon;
    for (const char* image : { ":/zelvano-16.png", ":/zelvano-32.png", ":/zelvano-128.png" })
        icon.addFile(QString::fromLatin1(image));
    dialog.setWindowIcon(icon);
    const zelvano::ControlMap controls = zelvano::buildDialog(&dialog, zelvano::mainWindowTemplate);
    auto* display = static_cast<QLineEdit*>(controls.at(ControlId::TimeDisplay));
    display->setText(elapsedText(0));
    controls.at(ControlId::Ok)->setFocus();
    // Where the program puts its window: in the middle of the screen, all of it on the screen.
    dialog.move(dialog.screen()->availableGeometry().center() - dialog.rect().center());
#ifdef ZELVANO_PLAIN_WINDOW_TICKING
    int seconds = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, display,
        [display, &seconds] { display->setText(elapsedText(++seconds)); });
    tick.start();
#endif
    dialog.exec();
    return 0;
}
