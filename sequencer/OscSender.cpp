#include "OscSender.h"

#include <cmath>
#include <cstdio>
#include <cstring>

// The default destination, compiled in: 127.0.0.1 port 7000 unless the
// build names another (VARNELO_OSC_HOST and VARNELO_OSC_PORT in CMake).
#ifndef VARNELO_OSC_HOST
#define VARNELO_OSC_HOST "127.0.0.1"
#endif
#ifndef VARNELO_OSC_PORT
#define VARNELO_OSC_PORT "7000"
#endif

namespace sequencer {

namespace {

// y rounded under the current rounding mode (ties to even by default);
// a y outside the int32 range or not a number gives INT32_MIN, as the
// processor's own conversion does.
std::int32_t RoundToInt32(float y) {
    const float rounded = std::nearbyint(y);
    if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

OscSender::~OscSender() {
    if (oscTarget != nullptr) lo_address_free(oscTarget);
}

void OscSender::SetCommand(const char* text) {
    // A text longer than the command holds is taken cut, so the same long
    // text set again compares equal and is not parsed again.
    if (std::strncmp(text, commandText, kMaxCommandLength) == 0) return;
    std::size_t length = 0;
    while (length < kMaxCommandLength && text[length] != '\0') ++length;
    std::memcpy(commandText, text, length);
    commandText[length] = '\0';

    const ParsedCommand parsed = ParseOscCommand(commandText);
    std::memcpy(oscPath, commandText + parsed.pathStart, parsed.pathLength);
    oscPath[parsed.pathLength] = '\0';
    sendInteger = parsed.sendInteger ? 1 : 0;
    rangeMin = parsed.rangeMin;
    rangeMax = parsed.rangeMax;
    if (SameDestination(parsed.destination, destination)) return;
    destination = parsed.destination;
    if (opened) MakeTarget();
}

void OscSender::Open() {
    opened = true;
    MakeTarget();
}

// Replaces the liblo destination (and with it the socket of the old one)
// by one for `destination`; none for a refused URL, or when liblo cannot
// make one.
void OscSender::MakeTarget() {
    if (oscTarget != nullptr) lo_address_free(oscTarget);
    oscTarget = nullptr;
    switch (destination.kind) {
    case DestinationKind::kDefault:
        oscTarget = lo_address_new(VARNELO_OSC_HOST, VARNELO_OSC_PORT);
        break;
    case DestinationKind::kUrl: {
        char port[8];
        std::snprintf(port, sizeof port, "%u", static_cast<unsigned>(destination.port));
        oscTarget = lo_address_new(destination.host, port);
        break;
    }
    case DestinationKind::kRefused: break;
    }
}

void OscSender::Send(float x) {
    if (oscTarget == nullptr) return;
    if (useBundle) {
        SendBundle(x);
    } else {
        SendMessage(x);
    }
}

// One message with one argument: step value x mapped to
// (max - min) * x + min, each operation rounded to single precision.
lo_message OscSender::MakeMessage(float x) const {
    const float y = (rangeMax - rangeMin) * x + rangeMin;
    lo_message message = lo_message_new();
    if (message == nullptr) return nullptr;
    if (sendInteger != 0) {
        lo_message_add_int32(message, RoundToInt32(y));
    } else {
        lo_message_add_float(message, y);
    }
    return message;
}

void OscSender::SendMessage(float x) {
    lo_message message = MakeMessage(x);
    if (message == nullptr) return;
    lo_send_message(oscTarget, oscPath, message);
    lo_message_free(message);
}

void OscSender::SendBundle(float x) {
    lo_bundle bundle = lo_bundle_new(LO_TT_IMMEDIATE);
    if (bundle == nullptr) return;
    lo_message message = MakeMessage(x);
    if (message != nullptr) {
        lo_bundle_add_message(bundle, oscPath, message);
        lo_send_bundle(oscTarget, bundle);
    }
    // Releases the bundle, its own copy of the address and the message.
    lo_bundle_free_recursive(bundle);
}

}  // namespace sequencer
