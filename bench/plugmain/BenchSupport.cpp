#include "BenchSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
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
    library_ = hostkit::PluginLibrary::Load(path, &error);
    if (library_ == nullptr) Fail("cannot load " + path + ": " + error);
    instance_ = std::make_unique<hostkit::PluginInstance>(*library_);
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

std::unique_ptr<hostkit::UdpPort> BindReceiver() {
    return hostkit::UdpPort::Bind(kPort, kReceiveBufferBytes);
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
