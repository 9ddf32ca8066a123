#include "Text.h"

#include <cstdio>

namespace varnelohost {

namespace {

bool IsPrintable(unsigned char byte) { return byte >= 0x20 && byte < 0x7f; }

}  // namespace

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (character == '\n') {
            quoted += "\\n";
        } else if (character == '\t') {
            quoted += "\\t";
        } else if (!IsPrintable(byte)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
}

std::string Bare(const std::string& text) {
    if (text.empty()) return Quote(text);
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (!IsPrintable(byte) || character == ' ' || character == '"' || character == '\\') {
            return Quote(text);
        }
    }
    return text;
}

std::string FloatText(float value) {
    // Nine significant digits always read back exactly; fewer are tried
    // first so that 127.5 is written "127.5", not "127.500000".
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        float readBack = 0.0f;
        if (std::sscanf(text, "%f", &readBack) == 1 && readBack == value) break;
    }
    return text;
}

}  // namespace varnelohost
