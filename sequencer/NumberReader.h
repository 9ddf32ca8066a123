// The one reader of the numbers a user types into a command (the min and
// max of a range): the same source on every platform, so that a text gives
// the same value under every C runtime and whatever locale the host has set.
#pragma once

namespace sequencer {

// Reads the number at the start of the zero-terminated `text` as the C
// library's strtod reads it under the "C" locale, and returns it:
// - blanks (' ', '\t', '\n', '\v', '\f', '\r') are skipped, then one
//   optional '+' or '-' is taken;
// - "0x" or "0X", then hexadecimal digits with an optional point and an
//   optional binary exponent "p[sign]digits" (either letter case); "0x"
//   with no digit after it (nor "." and a digit) is the number 0 alone;
// - "inf" or "infinity", in any letter case, is an infinity;
// - "nan" or "nan(chars)", in any letter case, is a quiet NaN. When chars
//   (only [0-9A-Za-z_]) are an unsigned C integer constant (decimal,
//   0x-hexadecimal or 0-octal; beyond 64 bits it saturates), its low 51
//   bits become the payload below the quiet bit;
// - otherwise decimal digits with an optional "." and an optional exponent
//   "e[sign]digits"; the longest prefix that forms a number counts, so a
//   ':', ']' or ',' after the number ends it.
// The value is rounded once to the nearest double, ties to even. A value
// beyond the largest double is an infinity, one below half the smallest
// subnormal is a zero. Infinities, zeros and NaNs keep the text's sign.
// Returns +0 when no prefix of `text` forms a number.
// `text` must not be null. Never allocates and never throws.
double ReadNumber(const char* text);

// The same, and where the number ends: `*end` is set just past the last
// character read, or to `text` itself when no number starts there, as
// strtod sets its end pointer.
double ReadNumber(const char* text, const char** end);

}  // namespace sequencer
