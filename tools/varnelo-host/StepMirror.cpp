#include "StepMirror.h"

namespace varnelohost {

std::optional<StepMirror> StepMirror::ForSteps(std::uint32_t stepCount) {
    switch (stepCount) {
    case 4: return StepMirror(sequencer::StepEngine<4>());
    case 8: return StepMirror(sequencer::StepEngine<8>());
    case 16: return StepMirror(sequencer::StepEngine<16>());
    case 32: return StepMirror(sequencer::StepEngine<32>());
    default: return std::nullopt;
    }
}

std::uint32_t StepMirror::StepCount() const {
    return std::visit([](const auto& steps) { return steps.kStepCount; }, engine);
}

std::optional<float> StepMirror::SetRun(float position) {
    return std::visit([position](auto& steps) { return steps.SetRun(position); }, engine);
}

std::optional<float> StepMirror::SetStep(std::uint32_t slot, float value) {
    return std::visit([slot, value](auto& steps) { return steps.SetStep(slot, value); }, engine);
}

void StepMirror::SetSmooth(bool on) {
    std::visit([on](auto& steps) { steps.SetSmooth(on); }, engine);
}

void StepMirror::SetStepFollow(bool on) {
    std::visit([on](auto& steps) { steps.SetStepFollow(on); }, engine);
}

float StepMirror::Run() const {
    return std::visit([](const auto& steps) { return steps.Run(); }, engine);
}

std::int32_t StepMirror::CurrentStep() const {
    return std::visit([](const auto& steps) { return steps.CurrentStep(); }, engine);
}

}  // namespace varnelohost
