#pragma once
// The keystroke filter of text boxes: which typed characters a box takes,
// and how it changes them.

namespace recorder {

namespace keyfilter {
// Restrictions; each set one swallows what it does not allow.
inline constexpr int kDigitsOnly = 1;      // the exceptions below widen it
inline constexpr int kDigitsAndSlash = 128; // digits, "/" and code 111
inline constexpr int kTimeOfDay = 256;     // digits, ";", ":", P, M, A
inline constexpr int kLettersOnly = 512;   // A-Z in either case

// Exceptions to kDigitsOnly.
inline constexpr int kAllowDecimalKey = 32; // code 110
inline constexpr int kAllowMinus = 64;      // "-" and code 109
inline constexpr int kAllowSpace = 1024;
inline constexpr int kAllowStar = 2048;
inline constexpr int kAllowHash = 4096;

// Changes, applied after the restrictions in this order.
inline constexpr int kUpperCase = 2;
inline constexpr int kNoSpaces = 4;
inline constexpr int kQuoteToApostrophe = 16;
inline constexpr int kNoApostrophes = 8;
} // namespace keyfilter

// The character code to let through (possibly changed), or 0 to swallow the
// key. Backspace (8), Enter (13), Escape (27) and 46 always pass unchanged.
int FilterKey(int keyCode, int flags);

} // namespace recorder
