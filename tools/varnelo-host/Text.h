// Small text helpers shared by the listing, the datagram lines and the
// live view. Numbers are written with "." whatever the locale, because the
// program never changes LC_NUMERIC from "C".
#pragma once

#include <string>

namespace varnelohost {

// `text` in double quotes, with \" \\ \n \t and \xNN for other bytes
// outside printable ASCII, so that one value always stays on one line.
std::string Quote(const std::string& text);

// `text` as it stands when it is non-empty printable ASCII without blanks
// or quotes, otherwise Quote(text). Used for OSC addresses.
std::string Bare(const std::string& text);

// The shortest "%g"-style text that reads back as the same float.
std::string FloatText(float value);

}  // namespace varnelohost
