// The receiving end on 127.0.0.1 and a port: a UDP socket bound to the loopback
// address only, and the decoding (by liblo) of each datagram into its OSC
// message, or the messages of its bundle, for printing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "UdpPort.h"

namespace varnelohost {

struct ReceivedMessage {
    std::string address;
    std::string typeTags;             // with its leading comma: ",f"
    std::vector<std::string> values;  // one text per argument
};

struct ReceivedDatagram {
    std::size_t bytes = 0;
    bool bundle = false;
    std::uint32_t timeSeconds = 0;  // bundle time tag
    std::uint32_t timeFraction = 0;
    std::vector<ReceivedMessage> messages;  // a bundle's in order; nested bundles flattened
    std::string error;  // non-empty: not OSC; messages holds what was read before
    // Read whole, but an address does not begin with "/" (as the empty
    // address does): not OSC 1.0, and messages holds everything.
    bool badAddress = false;
};

// Decodes one datagram. Never fails: what it cannot read it names in `error`.
ReceivedDatagram DecodeDatagram(const std::uint8_t* data, std::size_t size);

// The stable one-line form, without a trailing newline:
//   /fader ,f 127.5
//   bundle immediate /fader ,f 127.5        (more messages follow after " ; ")
//   invalid 7 bytes: <reason>
//   invalid 12 bytes: address does not begin with "/": "" ,f 0.5
std::string DatagramLine(const ReceivedDatagram& datagram);

// One line that tells a person what an invalid datagram means for a
// receiver; "" for a valid one.
std::string InvalidHint(const ReceivedDatagram& datagram);

// The last value of a datagram as a person reads it: "127.5", or "".
std::string LastValue(const ReceivedDatagram& datagram);

class OscListener {
public:
    enum class OpenFailure { kNone, kInUse, kOther };

    // Binds UDP 127.0.0.1:`port`. Null on failure, with the reason.
    static std::unique_ptr<OscListener> Open(std::uint16_t port, OpenFailure* failure,
                                             std::string* error);
    ~OscListener();
    OscListener(const OscListener&) = delete;
    OscListener& operator=(const OscListener&) = delete;

    // The port it listens on.
    std::uint16_t Port() const { return udpPort->Port(); }

    // Every datagram already waiting; when none is, waits up to
    // `timeoutMs` for the first (0: does not wait).
    std::vector<ReceivedDatagram> Receive(int timeoutMs);

private:
    explicit OscListener(std::unique_ptr<hostkit::UdpPort> socket)
        : udpPort(std::move(socket)), buffer(hostkit::UdpPort::kMaxDatagram) {}

    std::unique_ptr<hostkit::UdpPort> udpPort;
    std::vector<std::uint8_t> buffer;
};

}  // namespace varnelohost
