// Small text helpers shared by the listing, the datagram lines, the live
// view, the errors and the plot. Numbers are written with "." whatever the
// locale, because the program never changes LC_NUMERIC from "C".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace varnelohost {

// `text` in double quotes, with \" \\ \n \t and \xNN for other bytes
// outside printable ASCII, so that one value always stays on one line.
std::string Quote(const std::string& text);

// `text` as it stands when it is non-empty printable ASCII without blanks
// or quotes, otherwise Quote(text). Used for OSC addresses and paths.
std::string Bare(const std::string& text);

// `text` with what a terminal would act on written out instead: each byte
// that is not UTF-8 and each character that does not show as itself (see
// ShowsAsItself) as \xNN, one per byte. The rest stays as it is.
std::string Printable(const std::string& text);

// `text` with the ASCII letters in lower case.
std::string Lower(std::string text);

// The shortest "%g"-style text that reads back as the same float.
std::string FloatText(float value);

// The code point of the well-formed UTF-8 sequence at `at` of `text` and
// its length in bytes in `length`; length 0 when the bytes there are not
// one (a stray or missing continuation byte, an overlong form, a
// surrogate, beyond U+10FFFF).
char32_t DecodeUtf8(const std::string& text, std::size_t at, std::size_t* length);

// Characters that show as themselves: printable (no C0 or C1 control
// character, no DEL), and allowed in XML 1.0 (no U+FFFE, U+FFFF, nor the
// byte order mark U+FEFF).
bool ShowsAsItself(char32_t code);

// `raw` as the characters a person sees, each as UTF-8: U+FFFD for each
// byte that is no character and for each character that does not show.
std::vector<std::string> Characters(const std::string& raw);

}  // namespace varnelohost
