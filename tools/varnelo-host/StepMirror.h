// The plug-in's own step rule (sequencer::StepEngine) for a step count
// that is known only once a plug-in is loaded. The host makes every set of
// "Run", the steps, "Loop end", "Smooth" and "Step follow" on the plug-in
// and on its mirror alike, so the mirror knows what the plug-in decided:
// which value was due at each set, and the step "Run" stands in.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "StepEngine.h"

namespace varnelohost {

class StepMirror {
public:
    // A mirror of N steps for the step counts the plug-ins are built with
    // (4, 8, 16, 32); none for any other count.
    static std::optional<StepMirror> ForSteps(std::uint32_t stepCount);

    std::uint32_t StepCount() const;

    // As sequencer::StepEngine: the value due, if any. Slot N is "Loop end".
    std::optional<float> SetRun(float position);
    std::optional<float> SetStep(std::uint32_t slot, float value);
    void SetSmooth(bool on);
    void SetStepFollow(bool on);

    // The last "Run" accepted, within 0..1.
    float Run() const;
    // 0-based; N when "Run" stands on "Loop end".
    std::int32_t CurrentStep() const;

private:
    using Engine = std::variant<sequencer::StepEngine<4>, sequencer::StepEngine<8>,
                                sequencer::StepEngine<16>, sequencer::StepEngine<32>>;
    explicit StepMirror(const Engine& made) : engine(made) {}

    Engine engine;
};

}  // namespace varnelohost
