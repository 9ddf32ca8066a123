#include "UdpReceiver.h"

#include <cstring>

namespace tests {

UdpReceiver::UdpReceiver(std::uint16_t port, int receiveBufferBytes)
    : udpPort(hostkit::UdpPort::Bind(port, receiveBufferBytes)) {}

UdpReceiver::~UdpReceiver() = default;

std::optional<Bytes> UdpReceiver::Receive(int timeoutMs) {
    if (udpPort == nullptr) return std::nullopt;
    return udpPort->Receive(timeoutMs);
}

std::string UdpReceiver::Url() const { return "osc.udp://127.0.0.1:" + std::to_string(Port()); }

std::vector<Bytes> UdpReceiver::ReceiveAll(int quietMs) {
    std::vector<Bytes> datagrams;
    while (auto datagram = Receive(quietMs)) datagrams.push_back(std::move(*datagram));
    return datagrams;
}

namespace {

void AppendPadded(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    do out.push_back(0); while (out.size() % 4 != 0);
}

void AppendBigEndian(Bytes& out, std::uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
}

std::uint32_t ReadBigEndian(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3];
}

Bytes Message(const std::string& address, char type, std::uint32_t bits) {
    Bytes out;
    AppendPadded(out, address);
    AppendPadded(out, std::string(",") + type);
    AppendBigEndian(out, bits);
    return out;
}

// Reads a zero-padded OSC string at `offset`, moving past its padding.
std::optional<std::string> ReadString(const Bytes& data, std::size_t& offset) {
    const std::size_t start = offset;
    while (offset < data.size() && data[offset] != 0) ++offset;
    if (offset >= data.size()) return std::nullopt;
    std::string text(data.begin() + static_cast<std::ptrdiff_t>(start),
                     data.begin() + static_cast<std::ptrdiff_t>(offset));
    offset = (offset / 4 + 1) * 4;
    if (offset > data.size()) return std::nullopt;
    return text;
}

std::optional<OscDatagram> DecodeMessage(const Bytes& data) {
    std::size_t offset = 0;
    OscDatagram decoded;
    auto address = ReadString(data, offset);
    auto tags = ReadString(data, offset);
    if (!address || !tags || tags->size() != 2 || (*tags)[0] != ',') return std::nullopt;
    if (offset + 4 != data.size()) return std::nullopt;
    decoded.address = *address;
    decoded.type = (*tags)[1];
    const std::uint32_t bits = ReadBigEndian(&data[offset]);
    if (decoded.type == 'f') {
        std::memcpy(&decoded.floatValue, &bits, sizeof bits);
    } else if (decoded.type == 'i') {
        decoded.intValue = static_cast<std::int32_t>(bits);
    } else {
        return std::nullopt;
    }
    return decoded;
}

}  // namespace

Bytes OscMessage(const std::string& address, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Message(address, 'f', bits);
}

Bytes OscMessage(const std::string& address, std::int32_t value) {
    return Message(address, 'i', static_cast<std::uint32_t>(value));
}

Bytes OscBundle(const Bytes& message) {
    Bytes out;
    AppendPadded(out, "#bundle");
    AppendBigEndian(out, 0);
    AppendBigEndian(out, 1);
    AppendBigEndian(out, static_cast<std::uint32_t>(message.size()));
    out.insert(out.end(), message.begin(), message.end());
    return out;
}

std::optional<OscDatagram> DecodeOsc(const Bytes& datagram) {
    static const Bytes kBundleHead = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
    if (datagram.size() >= 20 && std::equal(kBundleHead.begin(), kBundleHead.end(), datagram.begin())) {
        const std::uint32_t size = ReadBigEndian(&datagram[16]);
        if (size + 20 != datagram.size()) return std::nullopt;
        auto decoded = DecodeMessage(Bytes(datagram.begin() + 20, datagram.end()));
        if (decoded) decoded->bundle = true;
        return decoded;
    }
    return DecodeMessage(datagram);
}

}  // namespace tests
