// Varnelo: an effect that passes its input texture through unchanged and
// turns the host's automation of "Run" into an OSC step sequencer. As "Run"
// moves from 0 to 1 across STEP_COUNT steps, each step entered (or, with
// "Smooth" on, each set) sends the current step value, scaled into the range
// of the "OSC command", to 127.0.0.1 port 7000 (or the destination the
// build or the command names) as one message or bundle.
//
// The class is what the host sees: its parameters, by the index and name
// the host knows them, and the operations the host interface defines. It
// hands the step rule to a StepEngine, the OSC output to an OscSender and
// the drawing to the pass-through.
#pragma once

#include <cstdint>

#include "FreeFrameGLPlugin.h"
#include "OscSender.h"
#include "StepEngine.h"

#ifndef STEP_COUNT
#error "STEP_COUNT (4, 8, 16 or 32) selects the variant being built"
#endif

namespace sequencer {

class Varnelo : public ffgl::CFreeFrameGLPlugin {
public:
    static constexpr std::uint32_t kStepCount = STEP_COUNT;
    static_assert(kStepCount == 4 || kStepCount == 8 || kStepCount == 16 || kStepCount == 32);

    // Parameter indices, as the host numbers them.
    static constexpr std::uint32_t kCommand = 0;     // text
    static constexpr std::uint32_t kRun = 1;         // standard
    static constexpr std::uint32_t kSmooth = 2;      // boolean
    static constexpr std::uint32_t kStepFollow = 3;  // boolean
    static constexpr std::uint32_t kFirstStep = 4;   // standard, one per step
    static constexpr std::uint32_t kLoopEnd = kFirstStep + kStepCount;  // standard
    static constexpr std::uint32_t kBundle = kLoopEnd + 1;              // boolean
    static constexpr std::uint32_t kParameterCount = kBundle + 1;

    // Registers the parameter table; sends nothing, opens nothing. Throws
    // std::bad_alloc when memory runs out (CreateInstance catches it).
    Varnelo();

    // Called by instantiation after the defaults: makes the OSC destination.
    std::uint32_t InitGL(const ffgl::ViewportRecord* viewport) override;
    // "Run" shows the step it stands in; the rest as the base shows them.
    const char* GetParameterDisplay(std::uint32_t index) override;
    // "Run", the steps and "Loop end". May send one datagram.
    std::uint32_t SetFloatParameter(std::uint32_t index, float value) override;
    float GetFloatParameter(std::uint32_t index) override;
    // "Smooth", "Step follow", "OSC Bundle". Never sends.
    std::uint32_t SetBoolParameter(std::uint32_t index, bool value) override;
    bool GetBoolParameter(std::uint32_t index) override;
    // "OSC command": an unreadable address is ignored; never sends.
    std::uint32_t SetTextParameter(std::uint32_t index, const char* text) override;
    char* GetTextParameter(std::uint32_t index) override;
    // Draws the input texture unchanged over the host's render target.
    std::uint32_t ProcessOpenGL(const ffgl::ProcessOpenGLRecord* frame) override;

private:
    StepEngine<kStepCount> engine;
    OscSender sender;
};

// The library's factory: one new Varnelo in `*instance`, or null and
// ffgl::kFailure when memory runs out. Throws nothing.
std::uint32_t CreateInstance(ffgl::CFreeFrameGLPlugin** instance);

}  // namespace sequencer
