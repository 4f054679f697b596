#pragma once

#include <cstdint>

#include <QObject>

#include "clock/slideturns.h"
#include "core/timercontext.h"

namespace zelvano {

class PdfpcShow;
class RawTurnKeys;

// The page turns of every source the Linux program has, handed to the one rule of which turns
// record a lap: the keys of the X server, watched only while the rule asks (a talk runs with the
// choice on and no slide show tells its slide numbers), and pdfpc, followed whenever the choice
// is on. A key that went to one of the program's own windows reached no slide show: no turn.
class SlideTurnFeed final : public QObject
{
public:
    SlideTurnFeed(TimerContext& context, QObject* parent);

    void setOn(bool on);
    bool isOn() const { return m_turns.isOn(); }
    // To be told after anything that may start or stop the timer.
    void follow();
    // The choice's menu item, saying which turns the program cannot see here.
    const char* menuItemText();

private:
    void keyPressed(TurnKey key, std::uint32_t code);

    TimerContext& m_context;
    SlideTurns m_turns;
    RawTurnKeys* m_keys;
    PdfpcShow* m_pdfpc;
};

} // namespace zelvano
