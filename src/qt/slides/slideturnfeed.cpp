#include "qt/slides/slideturnfeed.h"

#include <QGuiApplication>

#include "core/texts.h"
#include "qt/app/qttexts.h"
#include "qt/slides/pdfpcshow.h"
#include "qt/slides/rawturnkeys.h"

namespace zelvano {

SlideTurnFeed::SlideTurnFeed(TimerContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_keys(new RawTurnKeys(context.platform, this))
    , m_pdfpc(new PdfpcShow(context.platform, this))
{
    connect(m_keys, &RawTurnKeys::pressed, this, &SlideTurnFeed::keyPressed);
    connect(m_keys, &RawTurnKeys::released, this,
        [this](TurnKey key, std::uint32_t code) { m_turns.keyReleased(key, code); });
    connect(m_pdfpc, &PdfpcShow::began, this, [this](std::int64_t slide) {
        m_turns.slideShowBegan(m_context, slide);
        follow();
    });
    connect(m_pdfpc, &PdfpcShow::shown, this, [this](std::int64_t slide) {
        m_turns.slideShown(m_context, slide);
        follow();
    });
    connect(m_pdfpc, &PdfpcShow::ended, this, [this] {
        m_turns.slideShowEnded();
        follow();
    });
}

void SlideTurnFeed::setOn(bool on)
{
    m_turns.setOn(on);
    follow();
}

// Keys no longer watched are released unseen: none may stay held, or a modifier down at Stop
// would make every later turn a shortcut.
void SlideTurnFeed::follow()
{
    const bool keys = m_turns.watchesKeys(m_context.state);
    m_keys->setWatching(keys);
    if (!keys)
        m_turns.forgetHeldKeys();
    m_pdfpc->setWatching(m_turns.watchesSlideShows());
}

const char* SlideTurnFeed::menuItemText()
{
    switch (m_keys->reach()) {
    case RawTurnKeys::Reach::EveryWindow:
        return texts::lapsFromSlideTurnsMenuItem;
    case RawTurnKeys::Reach::XWindowsOnly:
        return qttexts::lapsFromSlideTurnsXWaylandMenuItem;
    case RawTurnKeys::Reach::None:
        break;
    }
    return qttexts::lapsFromSlideTurnsPdfpcOnlyMenuItem;
}

void SlideTurnFeed::keyPressed(TurnKey key, std::uint32_t code)
{
    if (key != TurnKey::Modifier && QGuiApplication::focusWindow())
        return;
    m_turns.keyPressed(m_context, key, code);
}

} // namespace zelvano
