#pragma once

// The key codes the commands compare against: Left 37, Up 38, Right 39, Down 40, and the
// function keys from F1 at 112.
namespace KeyCodes {

inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int F1 = 112;
inline constexpr int F2 = 113;
inline constexpr int F11 = 122;

// A Qt::Key as the board's key code. Keys with no code of their own give 0, which no
// command acts on; in particular the punctuation whose Qt codes are 37 to 40 ("%", "&",
// "'", "(") never pose as arrows.
int FromQtKey(int qtKey);

} // namespace KeyCodes
