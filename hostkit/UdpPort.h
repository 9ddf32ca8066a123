// A UDP socket bound to 127.0.0.1 and one port, where the plug-ins send,
// that reads whole datagrams: the receiving end of the tests, benchmarks
// and varnelo-host. Bound to the loopback address only, so that nothing
// from another machine arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hostkit {

using Bytes = std::vector<std::uint8_t>;

class UdpPort {
public:
    enum class Failure {
        kInUse,  // another socket holds the port
        kOther,
    };

    // Binds 127.0.0.1:`port` (0: a free port the system picks), with a receive buffer of `receiveBufferBytes`
    // when above 0 (beyond the system's cap where the process may). Null on
    // failure, with its kind and a one-line reason when asked for.
    static std::unique_ptr<UdpPort> Bind(std::uint16_t port, int receiveBufferBytes = 0,
                                         Failure* failure = nullptr, std::string* error = nullptr);
    ~UdpPort();
    UdpPort(const UdpPort&) = delete;
    UdpPort& operator=(const UdpPort&) = delete;

    // The port bound, 1 .. 65535.
    std::uint16_t Port() const { return boundPort; }

    // True once a datagram is waiting, after at most `timeoutMs` (0: does
    // not wait).
    bool Wait(int timeoutMs);
    // The next waiting datagram, cut to `capacity` bytes, into `buffer`,
    // without waiting: its size, or nothing when none is waiting.
    std::optional<std::size_t> TakeInto(std::uint8_t* buffer, std::size_t capacity);
    // The next datagram, waiting at most `timeoutMs` for it.
    std::optional<Bytes> Receive(int timeoutMs);
    // Reads and drops every waiting datagram; answers how many there were.
    std::size_t Drain();

    // Larger than any UDP payload: a buffer of this size cuts no datagram.
    static constexpr std::size_t kMaxDatagram = 65536;

private:
    UdpPort(int socket, std::uint16_t port) : descriptor(socket), boundPort(port) {}
    int descriptor;
    std::uint16_t boundPort;
};

}  // namespace hostkit
