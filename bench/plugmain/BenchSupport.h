// What the plug-in benchmarks share: a plug-in instance set up for one kind
// of call, a receiver on 127.0.0.1:7000 that swallows what is sent, and a
// raw UDP sender that serves as the baseline of a send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PluginHost.h"
#include "UdpPort.h"

namespace bench {

using hostkit::Bytes;

// The OSC command every send benchmark uses: float argument, range 0..255.
constexpr const char* kCommand = "/fader f[0:255]";

// One loaded plug-in with one instance, as a host holds them. Index
// numbers are looked up by parameter name, so every variant works.
class PluginUnderTest {
public:
    // Exits the process with a message when the library or the instance
    // cannot be made: a benchmark without its subject has nothing to say.
    explicit PluginUnderTest(const std::string& path);

    const hostkit::PluginLibrary& Library() const { return *loadedLibrary; }
    const hostkit::PluginInstance& Instance() const { return *loadedInstance; }
    std::uint32_t Index(const char* name) const;

    // Sets "OSC command" to kCommand, "Smooth" on and "OSC Bundle" as asked;
    // nothing is sent by these sets.
    void PrepareSends(bool bundle) const;

private:
    std::unique_ptr<hostkit::PluginLibrary> loadedLibrary;
    std::unique_ptr<hostkit::PluginInstance> loadedInstance;
};

// The port 127.0.0.1:7000 with a receive buffer large enough for thousands
// of small datagrams between two drains; null when another socket has it.
std::unique_ptr<hostkit::UdpPort> BindReceiver();

// An unconnected UDP socket, opened before any timing, that sends given
// bytes to 127.0.0.1:7000 with one sendto each: what a send costs at least.
class RawSender {
public:
    RawSender();
    ~RawSender();
    RawSender(const RawSender&) = delete;
    RawSender& operator=(const RawSender&) = delete;

    bool Open() const { return descriptor >= 0; }
    // Bytes handed to the kernel, or -1.
    long Send(const Bytes& datagram) const;

private:
    int descriptor = -1;
    unsigned char destinationAddress[16];  // sockaddr_in of 127.0.0.1:7000
};

// Exits with `message` on standard error and status 2.
[[noreturn]] void Fail(const std::string& message);

}  // namespace bench
