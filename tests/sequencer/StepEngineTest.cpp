// The step rule on its own, without a host or a socket: each case is a
// sequence of sets on a fresh engine and, after each, the value it must
// make due (or none) and the step "Run" must then stand in.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "StepEngine.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::optional<float> kNone = std::nullopt;

// One set: "Run", a slot (steps from 0, "Loop end" at N), or a switch.
struct Set {
    enum What { kRun, kSlot, kSmooth, kStepFollow } what;
    std::uint32_t slot;
    float value;
};
Set Run(float position) { return {Set::kRun, 0, position}; }
Set Slot(std::uint32_t slot, float value) { return {Set::kSlot, slot, value}; }
Set Smooth(bool on) { return {Set::kSmooth, 0, on ? 1.0f : 0.0f}; }
Set StepFollow(bool on) { return {Set::kStepFollow, 0, on ? 1.0f : 0.0f}; }

struct Expected {
    Set set;
    std::optional<float> due;  // NaN stands for a NaN due
    std::int32_t step;         // CurrentStep() afterwards: 0-based, N at 1.0
};

struct Case {
    const char* name;
    std::uint32_t steps;
    std::vector<Expected> sets;
};

template <std::uint32_t N>
std::optional<float> Apply(sequencer::StepEngine<N>& engine, const Set& set) {
    switch (set.what) {
    case Set::kRun: return engine.SetRun(set.value);
    case Set::kSlot: return engine.SetStep(set.slot, set.value);
    case Set::kSmooth: engine.SetSmooth(set.value != 0.0f); return kNone;
    case Set::kStepFollow: engine.SetStepFollow(set.value != 0.0f); return kNone;
    }
    return kNone;
}

std::string Describe(const std::optional<float>& value) {
    return value ? std::to_string(*value) : "nothing";
}

bool SameDue(const std::optional<float>& actual, const std::optional<float>& expected) {
    if (actual.has_value() != expected.has_value()) return false;
    if (!actual) return true;
    if (std::isnan(*expected)) return std::isnan(*actual);
    return *actual == *expected;  // exact, and 0.0 equals -0.0
}

template <std::uint32_t N>
void RunCase(const Case& c) {
    sequencer::StepEngine<N> engine;
    for (std::size_t i = 0; i < c.sets.size(); ++i) {
        const Expected& expected = c.sets[i];
        const std::optional<float> due = Apply(engine, expected.set);
        EXPECT_TRUE(SameDue(due, expected.due))
            << c.name << ", set " << i << ": due " << Describe(due) << ", expected "
            << Describe(expected.due);
        EXPECT_EQ(engine.CurrentStep(), expected.step) << c.name << ", set " << i;
    }
}

void RunCase(const Case& c) {
    switch (c.steps) {
    case 4: return RunCase<4>(c);
    case 8: return RunCase<8>(c);
    case 16: return RunCase<16>(c);
    case 32: return RunCase<32>(c);
    default: FAIL() << c.name << ": no engine for " << c.steps << " steps";
    }
}

// A fresh engine stands at "Run" 0 (step 1) with steps 0, 0.25, 0.5, 0.75
// and "Loop end" 1.0 for N = 4.
const Case kCases[] = {
    {"entering a step sends its value once; within it nothing, Run kept",
     4,
     {{Run(0.49f), 0.25f, 1}, {Run(0.51f), 0.5f, 2}, {Run(0.74f), kNone, 2}, {Run(0.0f), 0.0f, 0}}},
    {"a boundary belongs to the step it opens",
     4,
     {{Run(0.25f), 0.25f, 1}, {Run(0.4999f), kNone, 1}, {Run(0.75f), 0.75f, 3}}},
    {"Run 1.0 stands on Loop end",
     4,
     {{Slot(4, 0.6f), kNone, 0}, {Run(0.99f), 0.75f, 3}, {Run(1.0f), 0.6f, 4}}},
    {"the same position again sends nothing without Smooth",
     8,
     {{Run(0.3f), 0.25f, 2}, {Run(0.3f), kNone, 2}}},
    {"Smooth glides towards the next step and sends every set",
     4,
     {{Slot(1, 1.0f), kNone, 0},
      {Smooth(true), kNone, 0},
      {Run(0.125f), 0.5f, 0},
      {Run(0.125f), 0.5f, 0},
      {Run(0.0f), 0.0f, 0}}},
    {"Smooth: the last step glides towards Loop end, and 1.0 is Loop end itself",
     4,
     {{Slot(3, 0.0f), kNone, 0},
      {Slot(4, 0.5f), kNone, 0},
      {Smooth(true), kNone, 0},
      {Run(0.875f), 0.25f, 3},
      {Run(1.0f), 0.5f, 4}}},
    {"Smooth: the glide is (next - base) * (p - k) + base in single precision",
     4,
     {{Slot(0, 0.1f), kNone, 0},
      {Slot(1, 0.7f), kNone, 0},
      {Smooth(true), kNone, 0},
      {Run(0.075f), (0.7f - 0.1f) * (0.075f * 4.0f - 0.0f) + 0.1f, 0}}},
    {"Step follow sends an edited step wherever Run stands, never Loop end",
     4,
     {{Run(0.99f), 0.75f, 3},
      {StepFollow(true), kNone, 3},
      {Slot(1, 0.9f), 0.9f, 3},
      {Slot(1, 0.9f), kNone, 3},
      {Slot(4, 0.3f), kNone, 3},
      {Slot(0, -0.0f), kNone, 3},
      {Slot(2, 1.5f), 1.5f, 3},
      {StepFollow(false), kNone, 3},
      {Slot(1, 0.1f), kNone, 3}}},
    {"step values are stored as given; NaN never equals and is sent each time",
     4,
     {{StepFollow(true), kNone, 0},
      {Slot(2, kNaN), kNaN, 0},
      {Slot(2, kNaN), kNaN, 0},
      {Run(0.6f), kNaN, 2}}},
    {"Run beyond 0..1 is clamped into it; NaN is ignored",
     4,
     {{Run(7.0f), 1.0f, 4},
      {Run(-kInf), 0.0f, 0},
      {Run(kNaN), kNone, 0},
      {Run(kInf), 1.0f, 4},
      {Run(-kNaN), kNone, 4},
      {Run(-1e-45f), 0.0f, 0}}},
    {"a slot beyond Loop end is ignored",
     4,
     {{StepFollow(true), kNone, 0}, {Slot(5, 0.5f), kNone, 0}, {Slot(4000000000u, 0.5f), kNone, 0}}},
    {"32 steps: the last step and Loop end",
     32,
     {{Run(0.97f), 31.0f / 32.0f, 31}, {Run(1.0f), 1.0f, 32}}},
};

class StepRule : public ::testing::TestWithParam<Case> {};

TEST_P(StepRule, SetsMakeTheseValuesDue) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, StepRule, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
});

// Over every step count: step i holds (i - 1) / N, computed as (i - 1) x
// (1/N) in single precision; walking "Run" through every step sends each
// step's value exactly once.
template <std::uint32_t N>
void WalkEveryStep() {
    sequencer::StepEngine<N> engine;
    const float width = 1.0f / static_cast<float>(N);
    EXPECT_EQ(engine.StepValue(N), 1.0f);
    std::vector<float> sent;
    for (std::uint32_t step = 0; step < N; ++step) {
        EXPECT_EQ(engine.StepValue(step), static_cast<float>(step) * width);
        const float start = static_cast<float>(step) / static_cast<float>(N);
        for (const float run : {start, start + 0.25f * width, start + 0.75f * width}) {
            if (const auto due = engine.SetRun(run)) sent.push_back(*due);
            EXPECT_EQ(engine.CurrentStep(), static_cast<std::int32_t>(step)) << run;
        }
        EXPECT_EQ(engine.Run(), start);  // the first position of its step
    }
    ASSERT_EQ(sent.size(), N - 1) << "step 1 was not entered: Run starts in it";
    for (std::uint32_t step = 1; step < N; ++step) EXPECT_EQ(sent[step - 1], engine.StepValue(step));
}

TEST(StepRuleEveryVariant, WalkingRunSendsEachStepOnce) {
    WalkEveryStep<4>();
    WalkEveryStep<8>();
    WalkEveryStep<16>();
    WalkEveryStep<32>();
}

}  // namespace
