// What one plug-in instance sends, and where: the "OSC command" (its
// destination, OSC address, argument type and range), the "OSC Bundle"
// switch, and the liblo destination with the socket liblo opens at its
// first send. One value in, at most one UDP datagram out.
#pragma once

#include <lo/lo.h>

#include <cstdint>

#include "OscCommand.h"

namespace sequencer {

class OscSender {
public:
    OscSender() = default;
    ~OscSender();
    OscSender(const OscSender&) = delete;
    OscSender& operator=(const OscSender&) = delete;

    // The command text as kept: at most kMaxCommandLength characters.
    char* CommandText() { return commandText; }
    // Takes a new command text, of which at most kMaxCommandLength
    // characters are kept. The same text again changes nothing and is not
    // parsed again. When the destination part changes, an opened sender
    // moves to the new destination (and socket) at once; sends nothing.
    void SetCommand(const char* text);

    // Makes the liblo destination of the current command: until then
    // nothing is sent. No name is resolved and no socket is opened here;
    // liblo does both at the first send.
    void Open();

    void SetBundle(bool on) { useBundle = on; }
    bool Bundle() const { return useBundle; }

    // Sends step value `x` mapped into the command's range, as one message
    // (or one bundle with the immediate time tag) to the command's address.
    // Nothing goes out before Open, without a destination, or for a refused
    // URL; failures of liblo are ignored and the next send goes out as
    // usual.
    void Send(float x);

private:
    void MakeTarget();
    lo_message MakeMessage(float x) const;
    void SendMessage(float x);
    void SendBundle(float x);

    char commandText[kMaxCommandLength + 1] = "";
    char oscPath[kMaxCommandLength + 1] = "";
    std::int32_t sendInteger = 0;
    float rangeMin = 0.0f;
    float rangeMax = 1.0f;
    Destination destination{};       // of the current command
    lo_address oscTarget = nullptr;  // owned; null until Open, and for a refused URL
    bool opened = false;
    bool useBundle = false;
};

}  // namespace sequencer
