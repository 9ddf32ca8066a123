#include "FreeFrameGLPlugin.h"

#include <cstdio>

namespace ffgl {

namespace {

// The "%f" text of any float fits: a sign, 39 digits, the point, six
// decimals and the terminator.
char floatDisplay[48];

}  // namespace

std::uint32_t CFreeFrameGLPlugin::InitGL(const ViewportRecord*) { return kSuccess; }

std::uint32_t CFreeFrameGLPlugin::DeInitGL() { return kSuccess; }

const char* CFreeFrameGLPlugin::GetParameterDisplay(std::uint32_t index) {
    const std::int32_t type = selfRegistry->GetParamType(index);
    if (type < 0) return nullptr;
    if (type == kTypeText) return selfRegistry->GetTextParameter(index);
    std::snprintf(floatDisplay, sizeof floatDisplay, "%f",
                  static_cast<double>(selfRegistry->GetFloatParameter(index)));
    return floatDisplay;
}

std::uint32_t CFreeFrameGLPlugin::SetFloatParameter(std::uint32_t, float) { return kFailure; }

float CFreeFrameGLPlugin::GetFloatParameter(std::uint32_t) { return 0.0f; }

std::uint32_t CFreeFrameGLPlugin::SetBoolParameter(std::uint32_t, bool) { return kFailure; }

bool CFreeFrameGLPlugin::GetBoolParameter(std::uint32_t) { return false; }

std::uint32_t CFreeFrameGLPlugin::SetTextParameter(std::uint32_t, const char*) {
    return kFailure;
}

char* CFreeFrameGLPlugin::GetTextParameter(std::uint32_t) {
    return AddressOf<char>(kAllOnes);
}

std::uint32_t CFreeFrameGLPlugin::ProcessOpenGL(const ProcessOpenGLRecord*) {
    return kFailure;
}

std::uint32_t CFreeFrameGLPlugin::SetTime(double) { return kFailure; }

std::uint32_t CFreeFrameGLPlugin::GetInputStatus(std::uint32_t index) {
    // Both sides compare as unsigned 32-bit numbers.
    return index < static_cast<std::uint32_t>(GetMaxInputs()) ? 1u : kFailure;
}

HostWord CFreeFrameGLPlugin::GetPrototypeValue() { return 0; }

std::uint32_t CFreeFrameGLPlugin::Connect() { return kSuccess; }

std::uint32_t CFreeFrameGLPlugin::Disconnect() { return kSuccess; }

std::uint32_t CFreeFrameGLPlugin::Resize(const ViewportRecord*) { return kSuccess; }

}  // namespace ffgl
