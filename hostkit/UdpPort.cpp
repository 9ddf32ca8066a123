#include "UdpPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hostkit {

namespace {

void SetReceiveBuffer(int socket, int bytes) {
    // SO_RCVBUFFORCE passes the system's cap when running as root.
    if (setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0) {
        setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
}

}  // namespace

std::unique_ptr<UdpPort> UdpPort::Bind(std::uint16_t port, int receiveBufferBytes,
                                       Failure* failure, std::string* error) {
    const auto fail = [&](Failure kind, int reason,
                          const std::string& what) -> std::unique_ptr<UdpPort> {
        if (failure != nullptr) *failure = kind;
        if (error != nullptr) *error = what + ": " + std::strerror(reason);
        return nullptr;
    };
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return fail(Failure::kOther, errno, "cannot open a UDP socket");
    if (receiveBufferBytes > 0) SetReceiveBuffer(socket, receiveBufferBytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int reason = errno;
        ::close(socket);
        return fail(reason == EADDRINUSE ? Failure::kInUse : Failure::kOther, reason,
                    "cannot listen on UDP 127.0.0.1:" + std::to_string(port));
    }
    socklen_t length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int reason = errno;
        ::close(socket);
        return fail(Failure::kOther, reason, "cannot read the port bound");
    }
    return std::unique_ptr<UdpPort>(new UdpPort(socket, ntohs(address.sin_port)));
}

UdpPort::~UdpPort() { ::close(descriptor); }

bool UdpPort::Wait(int timeoutMs) {
    pollfd waiting{descriptor, POLLIN, 0};
    return ::poll(&waiting, 1, timeoutMs) == 1;
}

std::optional<std::size_t> UdpPort::TakeInto(std::uint8_t* buffer, std::size_t capacity) {
    const ssize_t size = ::recv(descriptor, buffer, capacity, MSG_DONTWAIT);
    if (size < 0) return std::nullopt;
    return static_cast<std::size_t>(size);
}

std::optional<Bytes> UdpPort::Receive(int timeoutMs) {
    if (!Wait(timeoutMs)) return std::nullopt;
    Bytes datagram(kMaxDatagram);
    const std::optional<std::size_t> size = TakeInto(datagram.data(), datagram.size());
    if (!size) return std::nullopt;
    datagram.resize(*size);
    return datagram;
}

std::size_t UdpPort::Drain() {
    std::size_t count = 0;
    std::uint8_t buffer[4096];
    while (TakeInto(buffer, sizeof buffer)) ++count;
    return count;
}

}  // namespace hostkit
