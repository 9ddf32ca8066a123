#include "Varnelo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "Platform.h"

// The destination, compiled in: 127.0.0.1 port 7000 unless the build
// names another (VARNELO_OSC_HOST and VARNELO_OSC_PORT in CMake).
#ifndef VARNELO_OSC_HOST
#define VARNELO_OSC_HOST "127.0.0.1"
#endif
#ifndef VARNELO_OSC_PORT
#define VARNELO_OSC_PORT "7000"
#endif

namespace {

constexpr float kSteps = static_cast<float>(Varnelo::kStepCount);

// "Step %i" of the "Run" display, shared by all instances of the library.
// Holds "Step " and any int.
char stepDisplay[24];

// The step a position in 0..1 stands in: 0 .. N-1, and N at 1.0.
std::int32_t StepOf(float position) { return static_cast<std::int32_t>(position * kSteps); }

// y rounded under the current rounding mode (ties to even by default);
// a y outside the int32 range or not a number gives INT32_MIN, as the
// processor's own conversion does.
std::int32_t RoundToInt32(float y) {
    const float rounded = std::nearbyint(y);
    if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

Varnelo::Varnelo() {
    SetMinInputs(1);
    SetMaxInputs(1);
    const float stepWidth = 1.0f / kSteps;
    for (std::uint32_t slot = 0; slot < kStepCount; ++slot) {
        stepValues[slot] = static_cast<float>(slot) * stepWidth;
    }
    stepValues[kStepCount] = 1.0f;

    AddTextParameter(kCommand, "OSC command", ffgl::kTypeText, commandText);
    AddFloatParameter(kRun, "Run", ffgl::kTypeStandard, 0.5f);
    AddBoolParameter(kSmooth, "Smooth", ffgl::kTypeBoolean, false);
    AddBoolParameter(kStepFollow, "Step follow", ffgl::kTypeBoolean, false);
    for (std::uint32_t slot = 0; slot < kStepCount; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "Step %i", static_cast<int>(slot + 1));
        AddFloatParameter(kFirstStep + slot, name, ffgl::kTypeStandard, stepValues[slot]);
    }
    AddFloatParameter(kLoopEnd, "Loop end", ffgl::kTypeStandard, 1.0f);
    AddBoolParameter(kBundle, "OSC Bundle", ffgl::kTypeBoolean, false);
}

Varnelo::~Varnelo() {
    if (oscTarget != nullptr) lo_address_free(oscTarget);
}

std::uint32_t Varnelo::InitGL(const ffgl::ViewportRecord*) {
    // Only records the destination: liblo resolves it and opens the
    // socket at the first send. Without an address nothing is ever sent.
    oscTarget = lo_address_new(VARNELO_OSC_HOST, VARNELO_OSC_PORT);
    return ffgl::kSuccess;
}

const char* Varnelo::GetParameterDisplay(std::uint32_t index) {
    if (index != kRun) return CFreeFrameGLPlugin::GetParameterDisplay(index);
    std::snprintf(stepDisplay, sizeof stepDisplay, "Step %i", 1 + StepOf(runPosition));
    return stepDisplay;
}

std::uint32_t Varnelo::SetFloatParameter(std::uint32_t index, float value) {
    if (index == kRun) {
        SetRun(value);
    } else if (index >= kFirstStep && index <= kLoopEnd) {
        SetStep(index - kFirstStep, value);
    }
    return ffgl::kSuccess;
}

float Varnelo::GetFloatParameter(std::uint32_t index) {
    if (index == kRun) return runPosition;
    if (index >= kFirstStep && index <= kLoopEnd) return stepValues[index - kFirstStep];
    return 0.0f;
}

std::uint32_t Varnelo::SetBoolParameter(std::uint32_t index, bool value) {
    if (index == kSmooth) smooth = value ? 1 : 0;
    else if (index == kStepFollow) stepFollow = value;
    else if (index == kBundle) useBundle = value;
    return ffgl::kSuccess;
}

bool Varnelo::GetBoolParameter(std::uint32_t index) {
    if (index == kSmooth) return smooth != 0;
    if (index == kStepFollow) return stepFollow;
    if (index == kBundle) return useBundle;
    return false;
}

std::uint32_t Varnelo::SetTextParameter(std::uint32_t index, const char* text) {
    if (index != kCommand || !platform::IsReadableText(text, kMaxCommandLength)) {
        return ffgl::kSuccess;
    }
    // A host text longer than the command holds is taken cut, so the same
    // long text set again compares equal and is not parsed again.
    if (std::strncmp(text, commandText, kMaxCommandLength) == 0) return ffgl::kSuccess;
    std::size_t length = 0;
    while (length < kMaxCommandLength && text[length] != '\0') ++length;
    std::memcpy(commandText, text, length);
    commandText[length] = '\0';
    ParseCommand();
    return ffgl::kSuccess;
}

char* Varnelo::GetTextParameter(std::uint32_t index) {
    return index == kCommand ? commandText : ffgl::AddressOf<char>(ffgl::kAllOnes);
}

// A new step entered sends its value; with "Smooth" on every set sends.
// Hosts keep standard parameters within 0..1: a value beyond is clamped
// into it and a NaN is ignored, so no step outside the table is read.
void Varnelo::SetRun(float value) {
    // One range test serves the common case; NaN fails it as well.
    float position = value;
    if (!(value >= 0.0f && value <= 1.0f)) {
        if (std::isnan(value)) return;
        position = std::clamp(value, 0.0f, 1.0f);
    }
    if (StepOf(runPosition) == StepOf(position) && smooth == 0) return;
    runPosition = position;
    Send(CurrentValue());
}

// A changed step value is stored as given (not clamped); with "Step
// follow" on, a step (never "Loop end") sends its new value at once.
void Varnelo::SetStep(std::uint32_t slot, float value) {
    if (value == stepValues[slot]) return;  // NaN differs; 0.0 equals -0.0
    stepValues[slot] = value;
    if (slot < kStepCount && stepFollow) Send(value);
}

// The current step's value; with "Smooth" on, glided towards the next
// step's (the last step glides towards "Loop end"). At 1.0 it is "Loop end".
float Varnelo::CurrentValue() const {
    const float p = runPosition * kSteps;
    const std::int32_t k = static_cast<std::int32_t>(p);
    const float base = stepValues[k];
    if (smooth == 0 || k >= static_cast<std::int32_t>(kStepCount)) return base;
    const float next = stepValues[k + 1];
    return (next - base) * (p - static_cast<float>(k)) + base;
}

void Varnelo::ParseCommand() {
    const ParsedCommand parsed = ParseOscCommand(commandText);
    std::memcpy(oscPath, commandText, parsed.pathLength);
    oscPath[parsed.pathLength] = '\0';
    sendInteger = parsed.sendInteger ? 1 : 0;
    rangeMin = parsed.rangeMin;
    rangeMax = parsed.rangeMax;
}

// Out of line, so that the sets that send nothing save no registers for it.
[[gnu::noinline]] void Varnelo::Send(float value) {
    if (useBundle) {
        SendValueInBundle(value);
    } else {
        SendValue(value);
    }
}

// One message with one argument: the step value x mapped to
// (max - min) * x + min, each operation rounded to single precision.
lo_message Varnelo::MakeMessage(float x) const {
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

// Send failures are ignored: the next due value goes out as usual.
void Varnelo::SendValue(float value) {
    if (oscTarget == nullptr) return;
    lo_message message = MakeMessage(value);
    if (message == nullptr) return;
    lo_send_message(oscTarget, oscPath, message);
    lo_message_free(message);
}

void Varnelo::SendValueInBundle(float value) {
    if (oscTarget == nullptr) return;
    lo_bundle bundle = lo_bundle_new(LO_TT_IMMEDIATE);
    if (bundle == nullptr) return;
    lo_message message = MakeMessage(value);
    if (message != nullptr) {
        lo_bundle_add_message(bundle, oscPath, message);
        lo_send_bundle(oscTarget, bundle);
    }
    // Releases the bundle, its own copy of the address and the message.
    lo_bundle_free_recursive(bundle);
}

std::uint32_t CreateInstance(CFreeFrameGLPlugin** instance) {
    try {
        *instance = new Varnelo;
        return ffgl::kSuccess;
    } catch (...) {
        *instance = nullptr;
        return ffgl::kFailure;
    }
}
