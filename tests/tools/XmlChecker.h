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
        document_ = document;
        at_ = 0;
        elements_.clear();
        if (!CharactersAllowed()) return false;
        if (Sees("<?xml") && !Declaration()) return false;
        if (!Misc()) return false;
        if (!Sees("<")) return Fail("no root element");
        if (!ReadElement(std::string::npos)) return false;
        if (!Misc()) return false;
        if (at_ < document_.size()) return Fail("more after the root element");
        return true;
    }

    const std::string& error() const { return error_; }
    const std::vector<Element>& elements() const { return elements_; }

private:
    bool Fail(const std::string& reason) {
        error_ = reason + " at byte " + std::to_string(at_);
        return false;
    }

    bool Sees(const char* text) const {
        return document_.compare(at_, std::strlen(text), text) == 0;
    }

    void SkipBlanks() {
        while (at_ < document_.size() && std::strchr(" \t\r\n", document_[at_]) != nullptr &&
               document_[at_] != '\0')
            ++at_;
    }

    bool CharactersAllowed() {
        for (at_ = 0; at_ < document_.size();) {
            const auto lead = static_cast<unsigned char>(document_[at_]);
            const std::size_t size = lead < 0x80   ? 1
                                     : lead < 0xC2 ? 0
                                     : lead < 0xE0 ? 2
                                     : lead < 0xF0 ? 3
                                     : lead < 0xF5 ? 4
                                                   : 0;
            if (size == 0 || at_ + size > document_.size()) return Fail("not UTF-8");
            char32_t code = size == 1 ? lead : lead & (0x7F >> size);
            for (std::size_t index = 1; index < size; ++index) {
                const auto next = static_cast<unsigned char>(document_[at_ + index]);
                if ((next & 0xC0) != 0x80) return Fail("not UTF-8");
                code = (code << 6) | (next & 0x3F);
            }
            static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
            if (code < kSmallest[size]) return Fail("overlong UTF-8");
            if (!IsXmlChar(code)) return Fail("character U+" + std::to_string(code));
            at_ += size;
        }
        at_ = 0;
        return true;
    }

    bool Declaration() {
        const std::size_t end = document_.find("?>");
        if (end == std::string::npos) return Fail("unterminated declaration");
        const std::string declaration = document_.substr(0, end);
        if (declaration.find(" version=\"1.0\"") == std::string::npos)
            return Fail("declaration without version 1.0");
        at_ = end + 2;
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
        const std::size_t end = document_.find("--", at_ + 4);
        if (end == std::string::npos) return Fail("unterminated comment");
        if (document_.compare(end, 3, "-->") != 0) return Fail("-- inside a comment");
        at_ = end + 3;
        return true;
    }

    static bool NameStart(unsigned char byte) {
        return std::isalpha(byte) || byte == '_' || byte == ':' || byte >= 0x80;
    }

    bool Name(std::string* name) {
        if (at_ >= document_.size() || !NameStart(document_[at_])) return Fail("no name");
        const std::size_t start = at_;
        while (at_ < document_.size()) {
            const auto byte = static_cast<unsigned char>(document_[at_]);
            if (!NameStart(byte) && !std::isdigit(byte) && byte != '-' && byte != '.') break;
            ++at_;
        }
        *name = document_.substr(start, at_ - start);
        return true;
    }

    bool Reference(std::string* resolved) {
        const std::size_t end = document_.find(';', at_);
        if (end == std::string::npos || end - at_ > 12) return Fail("unterminated reference");
        const std::string body = document_.substr(at_ + 1, end - at_ - 1);
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
        at_ = end + 1;
        return true;
    }

    bool AttributeValue(std::string* value) {
        const char quote = document_[at_];
        if (quote != '"' && quote != '\'') return Fail("unquoted attribute value");
        for (++at_; at_ < document_.size();) {
            const char character = document_[at_];
            if (character == quote) {
                ++at_;
                return true;
            }
            if (character == '<') return Fail("< in an attribute value");
            if (character == '&') {
                if (!Reference(value)) return false;
            } else {
                *value += character;
                ++at_;
            }
        }
        return Fail("unterminated attribute value");
    }

    bool ReadElement(std::size_t parent) {
        ++at_;  // '<'
        Element element;
        element.parent = parent;
        if (!Name(&element.name)) return false;
        for (;;) {
            const std::size_t before = at_;
            SkipBlanks();
            if (Sees("/>") || Sees(">")) {
                const bool empty = Sees("/>");
                at_ += empty ? 2 : 1;
                elements_.push_back(element);
                return empty || Content(elements_.size() - 1);
            }
            if (at_ == before) return Fail("no blank before an attribute");
            std::string name;
            std::string value;
            if (!Name(&name)) return false;
            SkipBlanks();
            if (!Sees("=")) return Fail("no = after " + name);
            ++at_;
            SkipBlanks();
            if (!AttributeValue(&value)) return false;
            if (!element.attributes.emplace(name, value).second) return Fail(name + " twice");
        }
    }

    bool EndTag(std::size_t index) {
        at_ += 2;
        std::string name;
        if (!Name(&name)) return false;
        SkipBlanks();
        if (!Sees(">")) return Fail("malformed end tag");
        ++at_;
        if (name != elements_[index].name)
            return Fail("</" + name + "> closes <" + elements_[index].name + ">");
        return true;
    }

    bool Content(std::size_t index) {
        while (at_ < document_.size()) {
            if (Sees("</")) return EndTag(index);
            if (Sees("<!--")) {
                if (!Comment()) return false;
            } else if (Sees("<![CDATA[")) {
                const std::size_t end = document_.find("]]>", at_);
                if (end == std::string::npos) return Fail("unterminated CDATA");
                elements_[index].text += document_.substr(at_ + 9, end - at_ - 9);
                at_ = end + 3;
            } else if (Sees("<")) {
                if (!ReadElement(index)) return false;
            } else if (Sees("]]>")) {
                return Fail("]]> in text");
            } else if (Sees("&")) {
                if (!Reference(&elements_[index].text)) return false;
            } else {
                elements_[index].text += document_[at_++];
            }
        }
        return Fail("<" + elements_[index].name + "> not closed");
    }

    std::string document_;
    std::size_t at_ = 0;
    std::vector<Element> elements_;
    std::string error_;
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
