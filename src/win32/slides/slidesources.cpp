#include "win32/slides/slidesources.h"

#include "core/formatstring.h"
#include "win32/app/win32texts.h"
#include "win32/slides/powerpointnews.h"

namespace zelvano {

void SlideSources::detach()
{
    m_keys.stop();
    m_powerPoint.stop();
    m_window = nullptr;
}

void SlideSources::setOn(bool on)
{
    m_turns.setOn(on);
    follow();
}

void SlideSources::follow()
{
    if (!m_window)
        return;
    const bool keys = m_turns.watchesKeys(m_context.state);
    if (keys && !m_keys.isWatching() && !m_keys.watch(m_window) && !m_keysRefused) {
        m_keysRefused = true; // said once; asked again at every Start
        m_context.platform.trace(win32texts::keysNotWatchedTrace);
    }
    if (!keys && m_keys.isWatching()) {
        m_keys.stop();
        m_turns.forgetHeldKeys();
    }
    const bool shows = m_turns.watchesSlideShows();
    if (shows && !m_powerPoint.isWatching()) {
        m_powerPoint.start(m_window);
    } else if (!shows && m_powerPoint.isWatching()) {
        // Whatever show runs may end unseen: the watch started again tells of one running then.
        m_powerPoint.stop();
        m_turns.slideShowEnded();
    }
}

void SlideSources::keyInput(WPARAM code, LPARAM input)
{
    // A key queued before the watch ended is not looked at.
    if (!m_keys.isWatching())
        return;
    const std::optional<KeyEvent> key = RawKeys::read(code, input);
    if (!key)
        return;
    if (key->pressed)
        m_turns.keyPressed(m_context, key->key, key->code);
    else
        m_turns.keyReleased(key->key, key->code);
}

void SlideSources::powerPointNews(WPARAM wParam, LPARAM lParam)
{
    if (!m_powerPoint.isWatching() || watchOf(wParam) != m_powerPoint.watch())
        return;
    switch (newsOf(wParam)) {
    case PowerPointNews::Reached:
        m_context.platform.trace(win32texts::powerPointReachedTrace);
        break;
    case PowerPointNews::NotReached:
        m_context.platform.trace(std::string(win32texts::powerPointNotReachedTrace)
            + formatString("0x%08lX", static_cast<unsigned long>(lParam)));
        break;
    case PowerPointNews::Lost:
        m_context.platform.trace(win32texts::powerPointLostTrace);
        m_turns.slideShowEnded();
        break;
    case PowerPointNews::ShowBegan:
        m_turns.slideShowBegan(m_context, lParam);
        break;
    case PowerPointNews::SlideShown:
        m_turns.slideShown(m_context, lParam);
        break;
    case PowerPointNews::ShowEnded:
        m_turns.slideShowEnded();
        break;
    }
    // A show that tells its slides mutes the keys while it runs.
    follow();
}

} // namespace zelvano
