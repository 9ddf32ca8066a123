// A receiving end on 127.0.0.1, where the plug-in sends, and a reader and
// writer of the OSC datagrams it sends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UdpPort.h"

namespace tests {

using hostkit::Bytes;

class UdpReceiver {
public:
    // Binds 127.0.0.1:`port`, or a free port of the system's choice for 0;
    // Bound() tells whether that worked.
    explicit UdpReceiver(std::uint16_t port = 0, int receiveBufferBytes = 0);
    ~UdpReceiver();
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    bool Bound() const { return udpPort != nullptr; }
    std::uint16_t Port() const { return udpPort != nullptr ? udpPort->Port() : 0; }
    // The destination URL of this receiver, for the front of an OSC command:
    // "osc.udp://127.0.0.1:<port>".
    std::string Url() const;
    // The next datagram, or nothing when none arrives within `timeoutMs`.
    std::optional<Bytes> Receive(int timeoutMs = 1000);
    // Every datagram that arrives until `quietMs` pass without one.
    std::vector<Bytes> ReceiveAll(int quietMs = 100);

private:
    std::unique_ptr<hostkit::UdpPort> udpPort;
};

// One OSC message with one argument, or a bundle holding one.
struct OscDatagram {
    bool bundle = false;
    std::string address;
    char type = 0;  // 'f' or 'i'
    float floatValue = 0.0f;
    std::int32_t intValue = 0;
};

// Decodes what the plug-in sends; nothing for anything else.
std::optional<OscDatagram> DecodeOsc(const Bytes& datagram);

// The bytes of a message to `address` with one float or int32 argument.
Bytes OscMessage(const std::string& address, float value);
Bytes OscMessage(const std::string& address, std::int32_t value);
// The same message inside a bundle with the immediate time tag.
Bytes OscBundle(const Bytes& message);

}  // namespace tests
