#include "OscListener.h"

#include <lo/lo.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "Text.h"

namespace varnelohost {

namespace {

// Bundles inside bundles deeper than this are reported, not followed.
constexpr int kMaxBundleDepth = 8;

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[64];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string ArgumentText(char type, const lo_arg* argument) {
    switch (type) {
    case LO_INT32: return std::to_string(argument->i);
    case LO_FLOAT: return FloatText(argument->f);
    case LO_STRING:
    case LO_SYMBOL: return Quote(&argument->s);
    case LO_INT64: return std::to_string(argument->h);
    case LO_DOUBLE: return Printf("%.17g", argument->d);
    case LO_CHAR: return Quote(std::string(1, static_cast<char>(argument->c)));
    case LO_MIDI:
        return Printf("midi:%02X%02X%02X%02X", argument->m[0], argument->m[1], argument->m[2],
                      argument->m[3]);
    case LO_TIMETAG:
        return Printf("time:%08" PRIX32 ".%08" PRIX32, argument->t.sec, argument->t.frac);
    case LO_TRUE: return "true";
    case LO_FALSE: return "false";
    case LO_NIL: return "nil";
    case LO_INFINITUM: return "infinitum";
    case LO_BLOB: return "blob:" + std::to_string(argument->blob.size) + "B";
    default: return "?";
    }
}

// The OSC string at the start of `data`: its text and its padded size,
// or size 0 when no terminator lies within `size` bytes.
std::size_t ReadOscString(const std::uint8_t* data, std::size_t size, std::string* text) {
    const void* zero = std::memchr(data, 0, size);
    if (zero == nullptr) return 0;
    const auto length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data);
    text->assign(reinterpret_cast<const char*>(data), length);
    const std::size_t padded = (length / 4 + 1) * 4;
    return padded <= size ? padded : 0;
}

// One message: the address read here, type tags and arguments by liblo.
bool DecodeMessage(const std::uint8_t* data, std::size_t size, ReceivedMessage* message,
                   std::string* error) {
    if (ReadOscString(data, size, &message->address) == 0) {
        *error = "no terminated address";
        return false;
    }
    int result = 0;
    // liblo reads without writing, whatever its signature says.
    lo_message decoded = lo_message_deserialise(const_cast<std::uint8_t*>(data), size, &result);
    if (decoded == nullptr) {
        *error = "liblo cannot read the message (error " + std::to_string(result) + ")";
        return false;
    }
    const char* types = lo_message_get_types(decoded);
    lo_arg** arguments = lo_message_get_argv(decoded);
    message->typeTags = std::string(",") + types;
    for (int index = 0; types[index] != '\0'; ++index) {
        message->values.push_back(ArgumentText(types[index], arguments[index]));
    }
    lo_message_free(decoded);
    return true;
}

// OSC 1.0 addresses begin with "/"; receivers drop other messages.
void CheckAddress(const ReceivedMessage& message, ReceivedDatagram* datagram) {
    if (!message.address.empty() && message.address[0] == '/') return;
    if (datagram->error.empty()) {
        datagram->error = "address does not begin with \"/\"";
        datagram->badAddress = true;
    }
}

bool IsBundle(const std::uint8_t* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, "#bundle", 8) == 0;
}

// "#bundle", the 8-byte time tag, then elements: a big-endian int32 size
// and that many bytes holding a message or another bundle.
bool DecodeBundle(const std::uint8_t* data, std::size_t size, int depth,
                  ReceivedDatagram* datagram) {
    if (size < 16) {
        datagram->error = "bundle shorter than its time tag";
        return false;
    }
    if (depth == 0) {
        datagram->timeSeconds = BigEndian32(data + 8);
        datagram->timeFraction = BigEndian32(data + 12);
    }
    for (std::size_t offset = 16; offset < size;) {
        if (size - offset < 4) {
            datagram->error = "bundle element without a whole size";
            return false;
        }
        const std::size_t elementSize = BigEndian32(data + offset);
        offset += 4;
        if (elementSize > size - offset) {
            datagram->error = "bundle element larger than the datagram";
            return false;
        }
        const std::uint8_t* element = data + offset;
        if (IsBundle(element, elementSize)) {
            if (depth + 1 >= kMaxBundleDepth) {
                datagram->error = "bundles nested too deep";
                return false;
            }
            if (!DecodeBundle(element, elementSize, depth + 1, datagram)) return false;
        } else {
            ReceivedMessage message;
            std::string error;
            if (!DecodeMessage(element, elementSize, &message, &error)) {
                datagram->error = error;
                datagram->badAddress = false;
                return false;
            }
            CheckAddress(message, datagram);
            datagram->messages.push_back(std::move(message));
        }
        offset += elementSize;
    }
    return true;
}

std::string MessageText(const ReceivedMessage& message) {
    std::string text = Bare(message.address) + " " + message.typeTags;
    for (const std::string& value : message.values) text += " " + value;
    return text;
}

std::string TimeTagText(std::uint32_t seconds, std::uint32_t fraction) {
    if (seconds == 0 && fraction == 1) return "immediate";
    return Printf("%08" PRIX32 ".%08" PRIX32, seconds, fraction);
}

}  // namespace

ReceivedDatagram DecodeDatagram(const std::uint8_t* data, std::size_t size) {
    ReceivedDatagram datagram;
    datagram.bytes = size;
    if (IsBundle(data, size)) {
        datagram.bundle = true;
        DecodeBundle(data, size, 0, &datagram);
        return datagram;
    }
    ReceivedMessage message;
    if (DecodeMessage(data, size, &message, &datagram.error)) {
        CheckAddress(message, &datagram);
        datagram.messages.push_back(std::move(message));
    }
    return datagram;
}

std::string DatagramLine(const ReceivedDatagram& datagram) {
    if (!datagram.error.empty()) {
        std::string line =
            "invalid " + std::to_string(datagram.bytes) + " bytes: " + datagram.error;
        if (!datagram.badAddress) return line;
        ReceivedDatagram content = datagram;
        content.error.clear();
        return line + ": " + DatagramLine(content);
    }
    std::string line;
    if (datagram.bundle) {
        line = "bundle " + TimeTagText(datagram.timeSeconds, datagram.timeFraction);
        if (datagram.messages.empty()) return line + " (empty)";
        line += " ";
    }
    for (std::size_t index = 0; index < datagram.messages.size(); ++index) {
        if (index > 0) line += " ; ";
        line += MessageText(datagram.messages[index]);
    }
    return line;
}

std::string InvalidHint(const ReceivedDatagram& datagram) {
    if (datagram.error.empty()) return "";
    if (datagram.badAddress)
        return "an address that does not begin with \"/\" is not OSC 1.0: a receiver that "
               "dispatches by address matches nothing, though some, such as oscdump, print it";
    return "this datagram is not OSC 1.0: a receiver cannot read it and drops it";
}

std::string LastValue(const ReceivedDatagram& datagram) {
    if (datagram.messages.empty() || datagram.messages.back().values.empty()) return "";
    return datagram.messages.back().values.back();
}

std::unique_ptr<OscListener> OscListener::Open(std::uint16_t port, OpenFailure* failure,
                                               std::string* error) {
    hostkit::UdpPort::Failure why = hostkit::UdpPort::Failure::kOther;
    std::unique_ptr<hostkit::UdpPort> socket = hostkit::UdpPort::Bind(port, 0, &why, error);
    if (socket == nullptr) {
        *failure =
            why == hostkit::UdpPort::Failure::kInUse ? OpenFailure::kInUse : OpenFailure::kOther;
        return nullptr;
    }
    *failure = OpenFailure::kNone;
    return std::unique_ptr<OscListener>(new OscListener(std::move(socket)));
}

OscListener::~OscListener() = default;

std::vector<ReceivedDatagram> OscListener::Receive(int timeoutMs) {
    std::vector<ReceivedDatagram> datagrams;
    if (!udpPort->Wait(timeoutMs)) return datagrams;
    while (const std::optional<std::size_t> size =
               udpPort->TakeInto(buffer.data(), buffer.size())) {
        datagrams.push_back(DecodeDatagram(buffer.data(), *size));
    }
    return datagrams;
}

}  // namespace varnelohost
