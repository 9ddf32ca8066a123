#include "BenchSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

constexpr std::uint16_t kPort = 7000;
// Enough for thousands of small datagrams between two drains.
constexpr int kReceiveBufferBytes = 4 << 20;

sockaddr_in LoopbackAddress() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

void Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(2);
}

PluginUnderTest::PluginUnderTest(const std::string& path) {
    std::string error;
    library_ = harness::PluginLibrary::Load(path, &error);
    if (library_ == nullptr) Fail("cannot load " + path + ": " + error);
    instance_ = std::make_unique<harness::PluginInstance>(*library_);
    if (!instance_->Valid()) Fail("code 18 gave no instance of " + path);
}

std::uint32_t PluginUnderTest::Index(const char* name) const {
    const std::int64_t index = library_->FindParameter(name);
    if (index < 0) Fail(std::string("no parameter named ") + name);
    return static_cast<std::uint32_t>(index);
}

void PluginUnderTest::PrepareSends(bool bundle) const {
    instance_->Set(Index("OSC command"), kCommand);
    instance_->Set(Index("Smooth"), true);
    instance_->Set(Index("OSC Bundle"), bundle);
}

Receiver::Receiver() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    // SO_RCVBUFFORCE passes the system's cap when running as root.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &kReceiveBufferBytes,
                   sizeof kReceiveBufferBytes) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    }
    const sockaddr_in address = LoopbackAddress();
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    socket_ = fd;
}

Receiver::~Receiver() {
    if (socket_ >= 0) close(socket_);
}

std::size_t Receiver::Drain() {
    std::size_t count = 0;
    unsigned char buffer[4096];
    while (recv(socket_, buffer, sizeof buffer, 0) >= 0) ++count;
    return count;
}

Bytes Receiver::ReceiveOne(int timeoutMs) {
    pollfd ready{socket_, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) != 1) return {};
    Bytes datagram(65536);
    const ssize_t size = recv(socket_, datagram.data(), datagram.size(), 0);
    datagram.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return datagram;
}

RawSender::RawSender() {
    static_assert(sizeof address_ == sizeof(sockaddr_in));
    const sockaddr_in address = LoopbackAddress();
    std::memcpy(address_, &address, sizeof address);
    socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

RawSender::~RawSender() {
    if (socket_ >= 0) close(socket_);
}

long RawSender::Send(const Bytes& datagram) const {
    return sendto(socket_, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(address_), sizeof(sockaddr_in));
}

}  // namespace bench
