#include "Text.h"

#include <algorithm>
#include <cstdio>

namespace varnelohost {

namespace {

const char* const kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsPrintable(unsigned char byte) { return byte >= 0x20 && byte < 0x7f; }

std::string HexEscape(unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    return escape;
}

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
            quoted += HexEscape(byte);
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

std::string Printable(const std::string& text) {
    std::string printable;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const char32_t code = DecodeUtf8(text, at, &length);
        if (length > 0 && ShowsAsItself(code)) {
            printable.append(text, at, length);
        } else {
            for (std::size_t byte = 0; byte < std::max<std::size_t>(length, 1); ++byte)
                printable += HexEscape(static_cast<unsigned char>(text[at + byte]));
        }
        at += std::max<std::size_t>(length, 1);
    }
    return printable;
}

std::string Lower(std::string text) {
    for (char& character : text) {
        if (character >= 'A' && character <= 'Z')
            character = static_cast<char>(character - 'A' + 'a');
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

char32_t DecodeUtf8(const std::string& text, std::size_t at, std::size_t* length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    *length = 0;
    if (lead < 0x80) {
        *length = 1;
        return lead;
    }
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (size == 0 || lead > 0xF4 || at + size > text.size()) return 0;
    char32_t code = lead & (0x7F >> size);
    for (std::size_t index = 1; index < size; ++index) {
        const auto next = static_cast<unsigned char>(text[at + index]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    *length = size;
    return code;
}

bool ShowsAsItself(char32_t code) {
    return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code < 0xFFFE && code != 0xFEFF) ||
           code >= 0x10000;
}

std::vector<std::string> Characters(const std::string& raw) {
    std::vector<std::string> characters;
    for (std::size_t at = 0; at < raw.size();) {
        std::size_t length = 0;
        const char32_t code = DecodeUtf8(raw, at, &length);
        const bool shows = length > 0 && ShowsAsItself(code);
        characters.push_back(shows ? raw.substr(at, length) : kReplacement);
        at += std::max<std::size_t>(length, 1);
    }
    return characters;
}

}  // namespace varnelohost
