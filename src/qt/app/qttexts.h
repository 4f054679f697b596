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

} // namespace zelvano::qttexts
