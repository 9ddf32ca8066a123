// A strict XML 1.0 well-formedness checker for the --plot picture, shared
// by the picture's own tests and the host program's.
#pragma once

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tests {

// ---- a strict XML 1.0 well-formedness check --------------------------------
//
// The XML that the plot writes: an optional declaration, comments, elements,
// attributes, text, character and predefined entity references, CDATA. A
// DOCTYPE or a processing instruction other than the declaration is
// refused, as the plot writes neither. Every character must be well-formed
// UTF-8 and one that XML 1.0 allows.

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;  // references resolved
    std::string text;                               // the text directly inside, resolved
    std::size_t parent = std::string::npos;         // index; npos for the root
};

inline std::string Utf8(char32_t code) {
    std::string text;
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return text;
}

inline bool IsXmlChar(char32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

class XmlChecker {
public:
    // True when `document` is well-formed; otherwise error() says why and where.
    bool Check(const std::string& document) {
        source = document;
        at = 0;
        found.clear();
        if (!CharactersAllowed()) return false;
        if (Sees("<?xml") && !Declaration()) return false;
        if (!Misc()) return false;
        if (!Sees("<")) return Fail("no root element");
        if (!ReadElement(std::string::npos)) return false;
        if (!Misc()) return false;
        if (at < source.size()) return Fail("more after the root element");
        return true;
    }

    const std::string& error() const { return failure; }
    const std::vector<Element>& elements() const { return found; }

private:
    bool Fail(const std::string& reason) {
        failure = reason + " at byte " + std::to_string(at);
        return false;
    }

    bool Sees(const char* text) const { return source.compare(at, std::strlen(text), text) == 0; }

    void SkipBlanks() {
        while (at < source.size() && std::strchr(" \t\r\n", source[at]) != nullptr &&
               source[at] != '\0')
            ++at;
    }

    bool CharactersAllowed() {
        for (at = 0; at < source.size();) {
            const auto lead = static_cast<unsigned char>(source[at]);
            const std::size_t size = lead < 0x80   ? 1
                                     : lead < 0xC2 ? 0
                                     : lead < 0xE0 ? 2
                                     : lead < 0xF0 ? 3
                                     : lead < 0xF5 ? 4
                                                   : 0;
            if (size == 0 || at + size > source.size()) return Fail("not UTF-8");
            char32_t code = size == 1 ? lead : lead & (0x7F >> size);
            for (std::size_t index = 1; index < size; ++index) {
                const auto next = static_cast<unsigned char>(source[at + index]);
                if ((next & 0xC0) != 0x80) return Fail("not UTF-8");
                code = (code << 6) | (next & 0x3F);
            }
            static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
            if (code < kSmallest[size]) return Fail("overlong UTF-8");
            if (!IsXmlChar(code)) return Fail("character U+" + std::to_string(code));
            at += size;
        }
        at = 0;
        return true;
    }

    bool Declaration() {
        const std::size_t end = source.find("?>");
        if (end == std::string::npos) return Fail("unterminated declaration");
        const std::string declaration = source.substr(0, end);
        if (declaration.find(" version=\"1.0\"") == std::string::npos)
            return Fail("declaration without version 1.0");
        at = end + 2;
        return true;
    }

    // Blanks and comments outside the root element.
    bool Misc() {
        for (;;) {
            SkipBlanks();
            if (!Sees("<!--")) return true;
            if (!Comment()) return false;
        }
    }

    bool Comment() {
        const std::size_t end = source.find("--", at + 4);
        if (end == std::string::npos) return Fail("unterminated comment");
        if (source.compare(end, 3, "-->") != 0) return Fail("-- inside a comment");
        at = end + 3;
        return true;
    }

    static bool NameStart(unsigned char byte) {
        return std::isalpha(byte) || byte == '_' || byte == ':' || byte >= 0x80;
    }

    bool Name(std::string* name) {
        if (at >= source.size() || !NameStart(source[at])) return Fail("no name");
        const std::size_t start = at;
        while (at < source.size()) {
            const auto byte = static_cast<unsigned char>(source[at]);
            if (!NameStart(byte) && !std::isdigit(byte) && byte != '-' && byte != '.') break;
            ++at;
        }
        *name = source.substr(start, at - start);
        return true;
    }

    bool Reference(std::string* resolved) {
        const std::size_t end = source.find(';', at);
        if (end == std::string::npos || end - at > 12) return Fail("unterminated reference");
        const std::string body = source.substr(at + 1, end - at - 1);
        static const std::map<std::string, std::string> kEntities = {
            {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
        if (kEntities.count(body) != 0) {
            *resolved += kEntities.at(body);
        } else if (body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string digits = body.substr(hex ? 2 : 1);
            const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
            if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
                return Fail("malformed character reference");
            const unsigned long code = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
            if (!IsXmlChar(static_cast<char32_t>(code))) return Fail("reference to a non-char");
            *resolved += Utf8(static_cast<char32_t>(code));
        } else {
            return Fail("unknown entity &" + body + ";");
        }
        at = end + 1;
        return true;
    }

    bool AttributeValue(std::string* value) {
        const char quote = source[at];
        if (quote != '"' && quote != '\'') return Fail("unquoted attribute value");
        for (++at; at < source.size();) {
            const char character = source[at];
            if (character == quote) {
                ++at;
                return true;
            }
            if (character == '<') return Fail("< in an attribute value");
            if (character == '&') {
                if (!Reference(value)) return false;
            } else {
                *value += character;
                ++at;
            }
        }
        return Fail("unterminated attribute value");
    }

    bool ReadElement(std::size_t parent) {
        ++at;  // '<'
        Element element;
        element.parent = parent;
        if (!Name(&element.name)) return false;
        for (;;) {
            const std::size_t before = at;
            SkipBlanks();
            if (Sees("/>") || Sees(">")) {
                const bool empty = Sees("/>");
                at += empty ? 2 : 1;
                found.push_back(element);
                return empty || Content(found.size() - 1);
            }
            if (at == before) return Fail("no blank before an attribute");
            std::string name;
            std::string value;
            if (!Name(&name)) return false;
            SkipBlanks();
            if (!Sees("=")) return Fail("no = after " + name);
            ++at;
            SkipBlanks();
            if (!AttributeValue(&value)) return false;
            if (!element.attributes.emplace(name, value).second) return Fail(name + " twice");
        }
    }

    bool EndTag(std::size_t index) {
        at += 2;
        std::string name;
        if (!Name(&name)) return false;
        SkipBlanks();
        if (!Sees(">")) return Fail("malformed end tag");
        ++at;
        if (name != found[index].name)
            return Fail("</" + name + "> closes <" + found[index].name + ">");
        return true;
    }

    bool Content(std::size_t index) {
        while (at < source.size()) {
            if (Sees("</")) return EndTag(index);
            if (Sees("<!--")) {
                if (!Comment()) return false;
            } else if (Sees("<![CDATA[")) {
                const std::size_t end = source.find("]]>", at);
                if (end == std::string::npos) return Fail("unterminated CDATA");
                found[index].text += source.substr(at + 9, end - at - 9);
                at = end + 3;
            } else if (Sees("<")) {
                if (!ReadElement(index)) return false;
            } else if (Sees("]]>")) {
                return Fail("]]> in text");
            } else if (Sees("&")) {
                if (!Reference(&found[index].text)) return false;
            } else {
                found[index].text += source[at++];
            }
        }
        return Fail("<" + found[index].name + "> not closed");
    }

    std::string source;
    std::size_t at = 0;
    std::vector<Element> found;
    std::string failure;
};

// The circles that stand for datagrams, in document order: those of class
// "sent" or "invalid" (the legend's keys have other classes).
inline std::vector<const Element*> DatagramCircles(const std::vector<Element>& elements) {
    std::vector<const Element*> points;
    for (const Element& element : elements) {
        if (element.name != "circle") continue;
        const auto found = element.attributes.find("class");
        if (found == element.attributes.end()) continue;
        const std::string classes = " " + found->second + " ";
        if (classes.find(" sent ") != std::string::npos ||
            classes.find(" invalid ") != std::string::npos)
            points.push_back(&element);
    }
    return points;
}

}  // namespace tests
