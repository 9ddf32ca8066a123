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
    loadedLibrary = hostkit::PluginLibrary::Load(path, &error);
    if (loadedLibrary == nullptr) Fail("cannot load " + path + ": " + error);
    loadedInstance = std::make_unique<hostkit::PluginInstance>(*loadedLibrary);
    if (!loadedInstance->Valid()) Fail("code 18 gave no instance of " + path);
}

std::uint32_t PluginUnderTest::Index(const char* name) const {
    const std::int64_t index = loadedLibrary->FindParameter(name);
    if (index < 0) Fail(std::string("no parameter named ") + name);
    return static_cast<std::uint32_t>(index);
}

void PluginUnderTest::PrepareSends(bool bundle) const {
    loadedInstance->Set(Index("OSC command"), kCommand);
    loadedInstance->Set(Index("Smooth"), true);
    loadedInstance->Set(Index("OSC Bundle"), bundle);
}

std::unique_ptr<hostkit::UdpPort> BindReceiver() {
    return hostkit::UdpPort::Bind(kPort, kReceiveBufferBytes);
}

RawSender::RawSender() {
    static_assert(sizeof destinationAddress == sizeof(sockaddr_in));
    const sockaddr_in address = LoopbackAddress();
    std::memcpy(destinationAddress, &address, sizeof address);
    descriptor = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

RawSender::~RawSender() {
    if (descriptor >= 0) close(descriptor);
}

long RawSender::Send(const Bytes& datagram) const {
    return sendto(descriptor, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(destinationAddress), sizeof(sockaddr_in));
}

}  // namespace bench
