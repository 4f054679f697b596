#pragma once

#include <array>

#include <QDialog>
#include <QPointer>

#include "clock/closingkeys.h"
#include "core/bellsettings.h"
#include "core/timercontext.h"
#include "core/timerstate.h"
#include "core/timerview.h"
#include "files/choicesfile.h"
#include "lectern/lectern.h"
#include "qt/window/dialogbuilder.h"

class QLineEdit;
class QPushButton;

namespace zelvano {

class FocusKeeper;
class LapList;
class PhoneSharing;
class PreciseTick;
class SlideTurnFeed;
class SpeakerView;
class TimeDisplay;

// The main window. It realises TimerView on its widgets and hands every button press and tick
// to one operation of the timer logic; it decides nothing about the timer itself.
class TimerDialog final : public QDialog, public TimerView
{
    Q_OBJECT

public:
    explicit TimerDialog(PlatformServices& platform, QWidget* parent = nullptr);
    ~TimerDialog() override;

    // TimerView
    void setDisplayTime(std::int32_t seconds) override;
    void showErrorBox(const std::string& text, const std::string& caption) override;
    void clearLapLines() override;
    void addLapLine(const std::string& line) override;
    int lapLineCount() const override;
    std::string lapLine(int index) const override;
    std::string bellFieldText(int field) const override;
    void setBellFieldText(int field, const std::string& text) override;
    void setBellFieldsEnabled(bool enabled) override;
    void setSettingsToggleText(const std::string& text) override;
    void armTick() override;
    void killTick() override;
    std::optional<std::string> chooseSaveFile(
        const std::string& initialName, const std::string& defaultSuffix) override;
    void reportSaved(const std::string& path) override;

    QWidget* control(ControlId id) const;

    // Keeps the window above other windows, or lets it go back among them.
    void setStaysOnTop(bool onTop);
    bool staysOnTop() const;
    void setVisible(bool visible) override;

    // The digits of the display, and of the speaker's view, in the colour of the bell phase.
    void setColourByPhase(bool on);
    bool colourByPhase() const { return m_lectern.choices().colourByPhase; }
    // Opens or closes the speaker's view; it is open while it is shown.
    void setSpeakerViewOpen(bool open);
    SpeakerView* speakerView() const;
    // The speaker's view shows the time to the next bell large; kept while the view is closed.
    void setRemainingLarge(bool on);
    bool remainingLarge() const { return m_lectern.choices().remainingLarge; }
    // The slide show's page turns record laps, as a click on the Slide button does.
    void setLapsFromSlideTurns(bool on);
    bool lapsFromSlideTurns() const;
    // Phones on the local network showing the speaker's view, while sharing is on.
    PhoneSharing& phoneSharing() const { return *m_phoneSharing; }

signals:
    // The About entry of the window's context menu was chosen.
    void aboutRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectButton(ControlId id, void (*operation)(TimerContext&));
    // Does what a key that would end the dialog does now; false when it is to end the dialog.
    bool tookClosingKey(ClosingKey key);
    void showContextMenu(const QPoint& globalPos);
    // Keeps a choice of the menu for the next start: the file is written at once on a change.
    void remember(bool WindowChoices::*choice, bool on);
    // The seconds shown, on the display and in the speaker's view, as the bells now tell them.
    void showTime();
    // The caption tells while phones may watch, and how many do.
    void showSharingInCaption();

    TimerState m_state;
    BellSettings m_settings;
    TimerContext m_context;
    ControlMap m_controls;
    TimeDisplay* m_display = nullptr;
    LapList* m_lapList = nullptr;
    std::array<QLineEdit*, BellSettings::valueCount> m_bellFields {};
    QPushButton* m_settingsToggle = nullptr;
    FocusKeeper* m_focusKeeper = nullptr;
    PreciseTick* m_tick;
    QString m_saveFolder; // where the next save chooser opens
    bool m_changingFlags = false;
    Lectern m_lectern; // the seconds shown and the view's choices, while the view comes and goes
    QPointer<SpeakerView> m_speakerView;
    SlideTurnFeed* m_slideTurns = nullptr;
    PhoneSharing* m_phoneSharing = nullptr;
    ChoicesFile m_choices;
};

} // namespace zelvano
