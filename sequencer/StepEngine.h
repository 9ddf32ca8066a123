// The step rule of the sequencer, on its own: N step values and "Loop
// end", the "Run" position, "Smooth" and "Step follow" go in; out come
// whether a value is due (and which), and the step "Run" stands in. It
// knows nothing of hosts, OSC or OpenGL and never allocates, so the
// plug-in and any program that needs to know what the plug-in decides
// (varnelo-host's summary, live view and plot) share this one rule.
//
// Arithmetic is single precision and unfused, operation by operation as
// written here; the build turns contraction into fused multiply-adds off.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace sequencer {

template <std::uint32_t N>
class StepEngine {
    static_assert(N >= 1 && N <= 1024, "a step count the float arithmetic keeps exact");

public:
    static constexpr std::uint32_t kStepCount = N;
    // Slots 0 .. N-1 hold steps 1 .. N; slot N holds "Loop end".
    static constexpr std::uint32_t kLoopEndSlot = N;

    // Step i (1-based) starts at (i - 1) * (1/N), "Loop end" at 1.0; "Run"
    // stands at 0.0 with "Smooth" and "Step follow" off.
    StepEngine() {
        const float stepWidth = 1.0f / kSteps;
        for (std::uint32_t slot = 0; slot < N; ++slot) {
            stepValues[slot] = static_cast<float>(slot) * stepWidth;
        }
        stepValues[kLoopEndSlot] = 1.0f;
    }

    // "Run" set to `position`. Entering another step makes the current
    // value due; with "Smooth" on every set does. A set within the current
    // step changes nothing, so "Run" keeps the first position of its step.
    // Hosts keep "Run" within 0..1: a position beyond is clamped into it and
    // NaN is ignored, so no slot outside the table is ever read.
    std::optional<float> SetRun(float position) {
        float run = position;
        if (!(position >= 0.0f && position <= 1.0f)) [[unlikely]] {
            if (std::isnan(position)) return std::nullopt;
            run = std::clamp(position, 0.0f, 1.0f);
        }
        if (StepOf(runPosition) == StepOf(run) && smooth == 0) return std::nullopt;
        runPosition = run;
        return CurrentValue();
    }

    // Slot `slot` (0 .. N, N is "Loop end") set to `value`, stored as given
    // (neither clamped nor refused). An equal value changes nothing (NaN
    // never equals; 0.0 equals -0.0). With "Step follow" on, a changed step,
    // current or not, makes its new value due; "Loop end" never does.
    // A slot beyond "Loop end" is ignored.
    std::optional<float> SetStep(std::uint32_t slot, float value) {
        if (slot > kLoopEndSlot || value == stepValues[slot]) return std::nullopt;
        stepValues[slot] = value;
        if (slot == kLoopEndSlot || !stepFollow) return std::nullopt;
        return value;
    }

    // Switching sends nothing.
    void SetSmooth(bool on) { smooth = on ? 1 : 0; }
    void SetStepFollow(bool on) { stepFollow = on; }

    float Run() const { return runPosition; }
    float StepValue(std::uint32_t slot) const { return stepValues[slot]; }
    bool Smooth() const { return smooth != 0; }
    bool StepFollow() const { return stepFollow; }

    // The step "Run" stands in, 0-based: trunc(Run x N), so a boundary
    // belongs to the step it opens, and N at 1.0 ("Loop end").
    std::int32_t CurrentStep() const { return StepOf(runPosition); }

    // The current step's value; with "Smooth" on, glided from it towards the
    // next slot's by the fraction of the step passed, the last step towards
    // "Loop end". At "Run" 1.0 it is "Loop end" itself.
    float CurrentValue() const {
        const float p = runPosition * kSteps;
        const std::int32_t k = static_cast<std::int32_t>(p);
        const float base = stepValues[k];
        if (smooth == 0 || k >= static_cast<std::int32_t>(N)) return base;
        const float next = stepValues[k + 1];
        return (next - base) * (p - static_cast<float>(k)) + base;
    }

private:
    static constexpr float kSteps = static_cast<float>(N);

    // The step a position within 0..1 stands in: 0 .. N-1, and N at 1.0.
    static std::int32_t StepOf(float position) {
        return static_cast<std::int32_t>(position * kSteps);
    }

    std::int32_t smooth = 0;   // "Smooth", 0 or 1
    float runPosition = 0.0f;  // the last accepted "Run", always within 0..1
    float stepValues[N + 1];
    bool stepFollow = false;
};

}  // namespace sequencer
