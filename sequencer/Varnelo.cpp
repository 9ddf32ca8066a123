#include "Varnelo.h"

#include <cstdio>

#include "PassThrough.h"
#include "Platform.h"

namespace sequencer {

namespace {

// "Step %i" of the "Run" display, shared by all instances of the library.
// Holds "Step " and any int.
char stepDisplay[24];

}  // namespace

Varnelo::Varnelo() {
    SetMinInputs(1);
    SetMaxInputs(1);
    AddTextParameter(kCommand, "OSC command", ffgl::kTypeText, sender.CommandText());
    AddFloatParameter(kRun, "Run", ffgl::kTypeStandard, 0.5f);
    AddBoolParameter(kSmooth, "Smooth", ffgl::kTypeBoolean, false);
    AddBoolParameter(kStepFollow, "Step follow", ffgl::kTypeBoolean, false);
    for (std::uint32_t slot = 0; slot < kStepCount; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "Step %i", static_cast<int>(slot + 1));
        AddFloatParameter(kFirstStep + slot, name, ffgl::kTypeStandard, engine.StepValue(slot));
    }
    AddFloatParameter(kLoopEnd, "Loop end", ffgl::kTypeStandard, 1.0f);
    AddBoolParameter(kBundle, "OSC Bundle", ffgl::kTypeBoolean, false);
}

std::uint32_t Varnelo::InitGL(const ffgl::ViewportRecord*) {
    sender.Open();
    return ffgl::kSuccess;
}

const char* Varnelo::GetParameterDisplay(std::uint32_t index) {
    if (index != kRun) return CFreeFrameGLPlugin::GetParameterDisplay(index);
    std::snprintf(stepDisplay, sizeof stepDisplay, "Step %i", 1 + engine.CurrentStep());
    return stepDisplay;
}

std::uint32_t Varnelo::SetFloatParameter(std::uint32_t index, float value) {
    std::optional<float> due;
    if (index == kRun) {
        due = engine.SetRun(value);
    } else if (index >= kFirstStep && index <= kLoopEnd) {
        due = engine.SetStep(index - kFirstStep, value);
    }
    if (due) sender.Send(*due);
    return ffgl::kSuccess;
}

float Varnelo::GetFloatParameter(std::uint32_t index) {
    if (index == kRun) return engine.Run();
    if (index >= kFirstStep && index <= kLoopEnd) return engine.StepValue(index - kFirstStep);
    return 0.0f;
}

std::uint32_t Varnelo::SetBoolParameter(std::uint32_t index, bool value) {
    if (index == kSmooth) engine.SetSmooth(value);
    else if (index == kStepFollow) engine.SetStepFollow(value);
    else if (index == kBundle) sender.SetBundle(value);
    return ffgl::kSuccess;
}

bool Varnelo::GetBoolParameter(std::uint32_t index) {
    if (index == kSmooth) return engine.Smooth();
    if (index == kStepFollow) return engine.StepFollow();
    if (index == kBundle) return sender.Bundle();
    return false;
}

std::uint32_t Varnelo::SetTextParameter(std::uint32_t index, const char* text) {
    if (index == kCommand && platform::IsReadableText(text, kMaxCommandLength)) {
        sender.SetCommand(text);
    }
    return ffgl::kSuccess;
}

char* Varnelo::GetTextParameter(std::uint32_t index) {
    return index == kCommand ? sender.CommandText() : ffgl::AddressOf<char>(ffgl::kAllOnes);
}

std::uint32_t Varnelo::ProcessOpenGL(const ffgl::ProcessOpenGLRecord* frame) {
    return DrawPassThrough(frame);
}

std::uint32_t CreateInstance(ffgl::CFreeFrameGLPlugin** instance) {
    try {
        *instance = new Varnelo;
        return ffgl::kSuccess;
    } catch (...) {
        *instance = nullptr;
        return ffgl::kFailure;
    }
}

}  // namespace sequencer
