#pragma once

#include <windows.h>
#include <optional>
#include <string>

#include "core/bellsettings.h"
#include "core/timercontext.h"
#include "core/timerstate.h"
#include "core/timerview.h"
#include "core/windowchoices.h"
#include "core/windowlayout.h"
#include "files/choicesfile.h"
#include "lectern/lectern.h"
#include "win32/desktop/accessibleannotations.h"
#include "win32/desktop/slideshowbuttons.h"
#include "win32/lectern/speakerview.h"
#include "win32/share/phonesharing.h"
#include "win32/slides/slidesources.h"
#include "win32/window/displaycolouring.h"
#include "win32/window/tick.h"

namespace zelvano {

// The main window: a modal dialog built from the shared description. It realises TimerView on
// its controls and hands every button press and tick to one operation of the timer logic; it
// decides nothing about the timer itself.
class TimerDialog final : public TimerView
{
public:
    TimerDialog(PlatformServices& platform, HINSTANCE instance);
    ~TimerDialog() override;
    TimerDialog(const TimerDialog&) = delete;
    TimerDialog& operator=(const TimerDialog&) = delete;

    // Runs the window until Close or the close box ends it, or Enter or Escape with nothing of
    // the talk at stake.
    void run();

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

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void onClosingCommand(int command);
    void onCommand(ControlId id);
    void toggleStayOnTop();
    void toggleBellColours();
    void toggleSpeakerView();
    void toggleRemainingLarge();
    void toggleLapsFromSlideTurns();
    void applyChoices();
    void remember(bool WindowChoices::*choice, bool on);
    void checkMenuItem(UINT command, bool checked);
    // The seconds shown, on the display and in the speaker's view, as the bells now tell them;
    // painted before returning, since a bell due on this second blocks the thread right after.
    void showTime();
    bool paintIconWhenMinimised();
    void setIcons(UINT dpi);
    void applyDisplayFont(UINT dpi);
    HWND control(ControlId id) const;
    HWND bellField(int field) const;

    TimerState m_state;
    BellSettings m_settings;
    TimerContext m_context;
    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HICON m_largeIcon = nullptr;
    HICON m_smallIcon = nullptr;
    HFONT m_displayFont = nullptr;
    std::optional<Tick> m_tick;
    std::wstring m_saveFolder; // where the next save chooser opens
    int m_bellPhase = -1; // of the text on the display; none before the first
    Lectern m_lectern; // the seconds shown and the view's choices, while the view comes and goes
    DisplayColouring m_colouring;
    AccessibleAnnotations m_annotations;
    SpeakerView m_speakerView;
    SlideShowButtons m_buttons;
    SlideSources m_slides;
    PhoneSharing m_sharing; // after the lectern and the bells it reads
    ChoicesFile m_choices; // as read at the start, with every change since
};

} // namespace zelvano
