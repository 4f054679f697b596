#include "qt/window/timerdialog.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStandardPaths>

#include "clock/bellringer.h"
#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "clock/settingsediting.h"
#include "core/phasecolours.h"
#include "core/texts.h"
#include "core/windowlayout.h"
#include "files/report.h"
#include "files/settingsfile.h"
#include "qt/app/qttexts.h"
#include "qt/desktop/accessiblenames.h"
#include "qt/desktop/focuskeeper.h"
#include "qt/desktop/windowplacement.h"
#include "qt/lectern/speakerview.h"
#include "qt/share/phonesharing.h"
#include "qt/slides/slideturnfeed.h"
#include "qt/window/laplist.h"
#include "qt/window/precisetick.h"
#include "qt/window/timedisplay.h"
#include "share/sharedview.h"
#include "share/sharingcaption.h"

namespace zelvano {

namespace {

    constexpr std::chrono::milliseconds tickInterval { 1000 };

    QString qs(const std::string& text) { return QString::fromStdString(text); }

    // Read by Qt's own PNG reader: left to guess, or even told the format, Qt first loads every
    // image plugin there is to ask whether it reads the file, which start-up would wait for.
    QImage readPng(const QString& path)
    {
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        return reader.read();
    }

    // The display and the lap list are the program's own widgets; the rest are Qt's.
    QWidget* makeControl(QWidget* parent, const ControlTemplate& control)
    {
        switch (control.kind) {
        case ControlKind::TimeDisplay:
            return new TimeDisplay(parent);
        case ControlKind::SortedList:
            return new LapList(parent);
        default:
            return plainControl(parent, control);
        }
    }

    // Escape, and Enter when it reaches the dialog, which then presses the Close button: the keys
    // QDialog ends itself with.
    std::optional<ClosingKey> closingKey(const QKeyEvent& event)
    {
        if (event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier)
            return ClosingKey::Escape;
        const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
        if (enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            return ClosingKey::Enter;
        return std::nullopt;
    }

    // Desktop programs first offer to save among the user's documents.
    QString documentsFolder()
    {
        const QString documents
            = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
    }

} // namespace

TimerDialog::TimerDialog(PlatformServices& platform, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_context { m_state, m_settings, *this, platform }
    , m_tick(new PreciseTick(tickInterval, this))
{
    connect(m_tick, &PreciseTick::ticked, this, [this] { onTick(m_context); });
    QIcon icon;
    for (const char* image : { ":/zelvano-16.png", ":/zelvano-32.png", ":/zelvano-128.png" })
        icon.addPixmap(QPixmap::fromImage(readPng(QString::fromLatin1(image))));
    setWindowIcon(icon);
    m_controls = buildDialog(this, mainWindowTemplate, makeControl);
    nameControlsForScreenReaders(m_controls);

    m_display = qobject_cast<TimeDisplay*>(control(ControlId::TimeDisplay));
    m_lapList = qobject_cast<LapList*>(control(ControlId::SlideList));
    for (std::size_t i = 0; i < bellFieldIds.size(); ++i) {
        m_bellFields[i] = qobject_cast<QLineEdit*>(control(bellFieldIds[i]));
        // The bell fields take text of any length; a line edit would cut it at 32767 characters,
        // which changes what the text reads as.
        m_bellFields[i]->setMaxLength(std::numeric_limits<int>::max());
    }
    m_settingsToggle = qobject_cast<QPushButton*>(control(ControlId::SettingsToggle));

    connect(qobject_cast<QPushButton*>(control(ControlId::Ok)), &QPushButton::clicked, this,
        &QDialog::accept);
    // A push button with the focus takes Enter itself: the dialog looks first.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this);
    connectButton(ControlId::Start, onStart);
    connectButton(ControlId::Stop, onStop);
    connectButton(ControlId::Slide, onSlide);
    connectButton(ControlId::SettingsToggle, onSettingsToggle);
    // Bells set anew tell the time shown anew.
    connect(m_settingsToggle, &QPushButton::clicked, this, &TimerDialog::showTime);
    connectButton(ControlId::Test, onTest);
    connectButton(ControlId::Save, onSave);
    // A click on the buttons that run the talk leaves the keyboard with the slide show.
    std::vector<const QWidget*> talkButtons;
    for (const ControlId id : talkButtonIds)
        talkButtons.push_back(control(id));
    m_focusKeeper = new FocusKeeper(*this, std::move(talkButtons));

    // Page turns are watched for by what the timer does: after Start and Stop have done it.
    m_slideTurns = new SlideTurnFeed(m_context, this);
    for (const ControlId id : { ControlId::Start, ControlId::Stop })
        connect(qobject_cast<QPushButton*>(control(id)), &QPushButton::clicked, m_slideTurns,
            &SlideTurnFeed::follow);

    m_phoneSharing = new PhoneSharing(
        this, [this] { return sharedView(m_lectern.seconds(), m_settings, remainingLarge()); });
    connect(m_phoneSharing, &PhoneSharing::stateChanged, this, &TimerDialog::showSharingInCaption);

    loadSettings(platform, m_settings);
    showSettings(m_context);
    showTime();
    control(ControlId::Ok)->setFocus();

    // The menu's choices as they were left; the speaker's view opens only when asked for.
    m_choices = loadChoices(platform);
    const WindowChoices chosen = m_choices.choices;
    setStaysOnTop(chosen.stayOnTop);
    setColourByPhase(chosen.bellColours);
    setRemainingLarge(chosen.remainingLarge);
    setLapsFromSlideTurns(chosen.lapsFromSlideTurns);
}

TimerDialog::~TimerDialog() = default;

QWidget* TimerDialog::control(ControlId id) const { return m_controls.at(id); }

void TimerDialog::connectButton(ControlId id, void (*operation)(TimerContext&))
{
    connect(qobject_cast<QPushButton*>(control(id)), &QPushButton::clicked, this,
        [this, operation] { operation(m_context); });
}

void TimerDialog::setDisplayTime(std::int32_t seconds)
{
    m_lectern.setSeconds(seconds);
    showTime();
}

void TimerDialog::showTime()
{
    const DisplayedTime shown = displayedTime(m_lectern.seconds(), m_settings);
    m_display->setText(qs(shown.text), shown.bellPhase);
    if (SpeakerView* view = speakerView())
        view->showContent();
    if (m_phoneSharing)
        m_phoneSharing->showView();
}

void TimerDialog::showSharingInCaption()
{
    setWindowTitle(
        qs(mainWindowCaption(m_phoneSharing->isOn(), m_phoneSharing->deviceCount())));
}

void TimerDialog::showErrorBox(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Critical, qs(caption), qs(text), QMessageBox::Ok, this);
    box.exec();
}

void TimerDialog::clearLapLines() { m_lapList->clear(); }

void TimerDialog::addLapLine(const std::string& line) { m_lapList->addLine(line); }

int TimerDialog::lapLineCount() const { return m_lapList->count(); }

std::string TimerDialog::lapLine(int index) const { return m_lapList->line(index); }

std::string TimerDialog::bellFieldText(int field) const
{
    return m_bellFields.at(static_cast<std::size_t>(field - 1))->text().toStdString();
}

void TimerDialog::setBellFieldText(int field, const std::string& text)
{
    m_bellFields.at(static_cast<std::size_t>(field - 1))->setText(qs(text));
}

void TimerDialog::setBellFieldsEnabled(bool enabled)
{
    for (QLineEdit* field : m_bellFields)
        field->setEnabled(enabled);
}

void TimerDialog::setSettingsToggleText(const std::string& text)
{
    m_settingsToggle->setText(qs(text));
}

void TimerDialog::armTick() { m_tick->start(); }

void TimerDialog::killTick() { m_tick->stop(); }

std::optional<std::string> TimerDialog::chooseSaveFile(
    const std::string& initialName, const std::string& defaultSuffix)
{
    // Qt's own chooser: a platform one may drop the default suffix or ask before replacing.
    QFileDialog chooser(this);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setDirectory(m_saveFolder.isEmpty() ? documentsFolder() : m_saveFolder);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setOption(QFileDialog::DontConfirmOverwrite);
    chooser.setDefaultSuffix(qs(defaultSuffix));
    chooser.selectFile(qs(initialName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().constFirst().toStdString();
}

// The working directory no longer follows the chooser, so the window remembers the folder.
void TimerDialog::reportSaved(const std::string& path)
{
    m_saveFolder = QFileInfo(qs(path)).absolutePath();
}

// Window managers on Linux do not let a program add to the window menu, so the About entry lives
// in the window's own context menu (right click, the Menu key or Shift+F10).
void TimerDialog::contextMenuEvent(QContextMenuEvent* event)
{
    showContextMenu(event->globalPos());
}

// Qt turns a right click and the Menu key into a context menu event, but not Shift+F10, which
// users of other desktops expect to do the same.
void TimerDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QWidget* anchor = focusWidget() ? focusWidget() : this;
        showContextMenu(anchor->mapToGlobal(anchor->rect().center()));
        return;
    }
    if (const std::optional<ClosingKey> key = closingKey(*event); key && tookClosingKey(*key))
        return;
    QDialog::keyPressEvent(event);
}

bool TimerDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A button clicks itself on Enter with any modifier. On Close, Enter is a closing key; on the
    // others it presses the button as it always does, but for Start while the talk is at stake,
    // which would begin the talk again. Space still presses any button.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == control(ControlId::Ok))
                return tookClosingKey(ClosingKey::Enter);
            const auto button = std::find_if(m_controls.begin(), m_controls.end(),
                [watched](const auto& entry) { return entry.second == watched; });
            return button != m_controls.end() && !enterPressesButton(button->first, m_state);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A presentation clicker sends Escape to whichever window has the keyboard: while a talk is at
// stake it must not end the program, and while the speaker's view is open it closes the view.
bool TimerDialog::tookClosingKey(ClosingKey key)
{
    switch (closingKeyAction(key, m_state, speakerView() != nullptr)) {
    case ClosingKeyAction::CloseWindow:
        return false;
    case ClosingKeyAction::CloseSpeakerView:
        setSpeakerViewOpen(false);
        return true;
    case ClosingKeyAction::Ignore:
        return true;
    }
    return true;
}

// To change a window's flags Qt hides the window and the window manager takes the new stacking
// when it is shown again; it comes back where it was and takes the keyboard back.
void TimerDialog::setStaysOnTop(bool onTop)
{
    remember(&WindowChoices::stayOnTop, onTop);
    if (onTop == staysOnTop())
        return;
    const QPoint position = pos();
    const bool shown = isVisible();
    {
        const QScopedValueRollback changing(m_changingFlags, true);
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    if (!shown)
        return;
    show();
    restoreFramePosition(*this, position);
    m_focusKeeper->activate();
}

bool TimerDialog::staysOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Hiding a dialog ends its exec(); the hide that comes with new window flags must not, or the
// program would end with it.
void TimerDialog::setVisible(bool visible)
{
    if (m_changingFlags && !visible) {
        QWidget::setVisible(false);
        return;
    }
    if (!visible)
        setSpeakerViewOpen(false);
    QDialog::setVisible(visible);
}

void TimerDialog::setColourByPhase(bool on)
{
    remember(&WindowChoices::bellColours, on);
    m_lectern.setColourByPhase(on);
    m_display->setPhasePalette(on ? std::optional(windowPalette) : std::nullopt);
    if (SpeakerView* view = speakerView())
        view->showContent();
}

void TimerDialog::setSpeakerViewOpen(bool open)
{
    if (!open) {
        if (SpeakerView* view = speakerView())
            view->close();
        return;
    }
    if (speakerView())
        return;
    m_speakerView = new SpeakerView(this, m_lectern, m_settings);
    m_speakerView->showBesideMainWindow();
}

void TimerDialog::setRemainingLarge(bool on)
{
    remember(&WindowChoices::remainingLarge, on);
    m_lectern.setRemainingLarge(on);
    if (SpeakerView* view = speakerView())
        view->showContent();
    m_phoneSharing->showView();
}

void TimerDialog::setLapsFromSlideTurns(bool on)
{
    remember(&WindowChoices::lapsFromSlideTurns, on);
    m_slideTurns->setOn(on);
}

bool TimerDialog::lapsFromSlideTurns() const { return m_slideTurns->isOn(); }

// A file that cannot be written is traced where it failed; the choice holds for this run.
void TimerDialog::remember(bool WindowChoices::*choice, bool on)
{
    if (m_choices.choices.*choice == on)
        return;
    m_choices.choices.*choice = on;
    static_cast<void>(saveChoices(m_context.platform, m_choices));
}

// A closed view is deleted a little later; until then it is no longer shown.
SpeakerView* TimerDialog::speakerView() const
{
    return m_speakerView && m_speakerView->isVisible() ? m_speakerView.data() : nullptr;
}

void TimerDialog::showContextMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(qttexts::closeMenuItem), this, &QDialog::reject);
    QAction* onTop = menu.addAction(
        QString::fromUtf8(texts::stayOnTopMenuItem), this, &TimerDialog::setStaysOnTop);
    onTop->setCheckable(true);
    onTop->setChecked(staysOnTop());
    QAction* colours = menu.addAction(
        QString::fromUtf8(texts::bellColoursMenuItem), this, &TimerDialog::setColourByPhase);
    colours->setCheckable(true);
    colours->setChecked(colourByPhase());
    QAction* view = menu.addAction(
        QString::fromUtf8(texts::speakerViewMenuItem), this, &TimerDialog::setSpeakerViewOpen);
    view->setCheckable(true);
    view->setChecked(speakerView() != nullptr);
    QAction* remaining = menu.addAction(
        QString::fromUtf8(texts::remainingLargeMenuItem), this, &TimerDialog::setRemainingLarge);
    remaining->setCheckable(true);
    remaining->setChecked(remainingLarge());
    QAction* laps = menu.addAction(
        QString::fromUtf8(m_slideTurns->menuItemText()), this, &TimerDialog::setLapsFromSlideTurns);
    laps->setCheckable(true);
    laps->setChecked(lapsFromSlideTurns());
    menu.addAction(
        QString::fromUtf8(texts::shareMenuItem), m_phoneSharing, &PhoneSharing::openWindow);
    menu.addSeparator();
    menu.addAction(QString::fromUtf8(texts::aboutMenuItem), this, &TimerDialog::aboutRequested);
    menu.exec(globalPos);
}

} // namespace zelvano
