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

// What a screen reader says for the controls whose own text does not tell what they hold.
inline constexpr const char* displayAccessibleName = "経過時間";
inline constexpr const char* lapListAccessibleName = "スライド一覧";
inline constexpr const char* bell1MinutesAccessibleName = "1回目のベル 分";
inline constexpr const char* bell2MinutesAccessibleName = "2回目のベル 分";
inline constexpr const char* bell3MinutesAccessibleName = "3回目のベル 分";
inline constexpr const char* bell1CountAccessibleName = "1回目のベル 回数";
inline constexpr const char* bell2CountAccessibleName = "2回目のベル 回数";
inline constexpr const char* bell3CountAccessibleName = "3回目のベル 回数";

} // namespace zelvano::qttexts
