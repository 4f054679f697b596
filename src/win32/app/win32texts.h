#pragma once

// The texts only the Windows front-end shows, in UTF-8; everything both front-ends show is in
// core/texts.h.
namespace zelvano::win32texts {

// Developer traces of the page turns' sources: each says once what the program now follows.
inline constexpr const char* keysNotWatchedTrace
    = "Zelvano: キーを見られません (Raw Input refused: page turns record no laps from keys)";
inline constexpr const char* powerPointReachedTrace
    = "Zelvano: PowerPoint のスライドショーに従います (following PowerPoint's slide show events)";
// Followed by the failure's HRESULT.
inline constexpr const char* powerPointNotReachedTrace
    = "Zelvano: PowerPoint に届きません、キーだけに従います (PowerPoint not running, not answering "
      "or "
      "out of reach: keys only) ";
inline constexpr const char* powerPointLostTrace
    = "Zelvano: PowerPoint が終わりました、キーだけに従います (PowerPoint went away: keys only)";

} // namespace zelvano::win32texts
