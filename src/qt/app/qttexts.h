#pragma once

// The texts only the Qt front-end shows, in UTF-8; everything both front-ends show is in
// core/texts.h.
namespace zelvano::qttexts {

// Standard error when no window can be opened at all.
inline constexpr const char* noDisplayMessage
    = "Zelvano: 画面に接続できないため起動できません (no display available)";

// The window's context menu, which stands in for the system menu that Linux window managers keep
// to themselves.
inline constexpr const char* closeMenuItem = "閉じる(&C)";

// The choice of laps from page turns where the program cannot see every window's keys: under
// XWayland a native Wayland slide show's keys never reach it, and without X no keys do; pdfpc
// tells its turns everywhere.
inline constexpr const char* lapsFromSlideTurnsXWaylandMenuItem
    = "スライド送りでラップを記録 (Waylandのスライドはpdfpcのみ)(&K)";
inline constexpr const char* lapsFromSlideTurnsPdfpcOnlyMenuItem
    = "スライド送りでラップを記録 (pdfpcのみ)(&K)";

// Developer traces of the page-turn sources.
inline constexpr const char* turnKeysUnseenTrace
    = "Zelvano: ページ送りのキーを見られません (no XInput 2.2 on the X server: only pdfpc's "
      "turns record laps)";
inline constexpr const char* turnKeysLostTrace
    = "Zelvano: ページ送りのキーを見られなくなりました (the X connection for the keys broke)";
inline constexpr const char* pdfpcUnseenTrace = "Zelvano: pdfpc を見られません (no session bus)";
inline constexpr const char* pdfpcOverlaysUnknownTrace
    = "Zelvano: pdfpc のオーバーレイを区別できません (its page labels were not read: every page "
      "counts as a slide)";

} // namespace zelvano::qttexts
