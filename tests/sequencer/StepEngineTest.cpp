// The step engine as a host drives it: which "Run" sets send, what they
// send, and what "Run" displays.
#include <cmath>

#include "SequencerFixture.h"

namespace {

class StepEngine : public SequencerFixture, public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override {
        Start(GetParam());
        instance->Set(kCommand, "/step f");
    }
    float N() const { return static_cast<float>(stepCount); }
    float DefaultOf(std::uint32_t step) const { return static_cast<float>(step - 1) * (1.0f / N()); }
};

INSTANTIATE_TEST_SUITE_P(AllVariants, StepEngine, ::testing::Values(4u, 8u, 16u, 32u),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

// A new instance stands at "Run" 0.5 and has sent nothing.
TEST_P(StepEngine, InstantiationSendsNothing) {
    ExpectNothing();
    EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(stepCount / 2 + 1));
}

// Entering each step once sends each step's value once, in order; staying
// within a step sends nothing and keeps the position of its first set.
TEST_P(StepEngine, EachStepEnteredSendsItsValueOnce) {
    instance->Set(kRun, 0.0f);
    EXPECT_EQ(NextFloat(), DefaultOf(1));
    for (std::uint32_t step = 2; step <= stepCount; ++step) {
        const float start = static_cast<float>(step - 1) / N();
        instance->Set(kRun, start);  // a boundary opens its step
        EXPECT_EQ(NextFloat(), DefaultOf(step)) << "step " << step;
        instance->Set(kRun, start + 0.5f / N());
        EXPECT_EQ(instance->GetFloat(kRun), start);
        EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(step));
    }
    ExpectNothing();
    instance->Set(kRun, 1.0f);  // stands on "Loop end"
    EXPECT_EQ(NextFloat(), 1.0f);
    EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(stepCount + 1));
}

TEST_P(StepEngine, SmoothingSendsEverySetAndGlidesTowardsTheNextStep) {
    instance->Set(kSmooth, true);
    instance->Set(Step(stepCount), 0.0f);
    instance->Set(LoopEnd(), 0.5f);
    // Half-way through the last step: half-way from its value to "Loop end".
    const float run = (N() - 0.5f) / N();
    instance->Set(kRun, run);
    EXPECT_EQ(NextFloat(), 0.25f);
    instance->Set(kRun, run);  // the same value again sends again
    EXPECT_EQ(NextFloat(), 0.25f);
    instance->Set(kRun, 1.0f);  // exactly "Loop end"
    EXPECT_EQ(NextFloat(), 0.5f);
    ExpectNothing();
}

TEST_P(StepEngine, StepFollowSendsEditedStepsButNeverLoopEnd) {
    instance->Set(kRun, 0.99f);
    NextFloat();
    instance->Set(kStepFollow, true);
    instance->Set(Step(2), 0.9f);  // not the current step: sent all the same
    EXPECT_EQ(NextFloat(), 0.9f);
    instance->Set(LoopEnd(), 0.3f);
    instance->Set(Step(2), 0.9f);  // unchanged
    instance->Set(Step(1), -0.0f);  // equals 0.0
    ExpectNothing();
    EXPECT_EQ(instance->GetFloat(LoopEnd()), 0.3f);
    // Without "Step follow" edits send nothing.
    instance->Set(kStepFollow, false);
    instance->Set(Step(2), 0.1f);
    ExpectNothing();
}

TEST_P(StepEngine, BundleSwitchWrapsEachSend) {
    instance->Set(Bundle(), true);
    instance->Set(kRun, 0.0f);
    const auto datagram = Next();
    EXPECT_TRUE(datagram.bundle);
    EXPECT_EQ(datagram.address, "/step");
    instance->Set(Bundle(), false);
    instance->Set(kRun, 0.99f);
    EXPECT_FALSE(Next().bundle);
}

class FourSteps : public SequencerFixture, public ::testing::Test {
protected:
    void SetUp() override {
        Start(4);
        instance->Set(kCommand, "/a f");
    }
};

TEST_F(FourSteps, RunAcrossTheMiddle) {
    instance->Set(kRun, 0.49f);
    EXPECT_EQ(NextFloat(), 0.25f);
    EXPECT_EQ(instance->Display(kRun), "Step 2");
    instance->Set(kRun, 0.51f);
    EXPECT_EQ(NextFloat(), 0.5f);
    EXPECT_EQ(instance->Display(kRun), "Step 3");
    instance->Set(kRun, 0.74f);
    ExpectNothing();
    EXPECT_EQ(instance->GetFloat(kRun), 0.51f);
    EXPECT_EQ(instance->Display(kRun), "Step 3");
    instance->Set(kRun, 0.0f);
    EXPECT_EQ(NextFloat(), 0.0f);
    EXPECT_EQ(instance->Display(kRun), "Step 1");
}

TEST_F(FourSteps, SmoothingBetweenTheFirstTwoSteps) {
    instance->Set(Step(2), 1.0f);
    instance->Set(kSmooth, true);
    instance->Set(kRun, 0.125f);
    EXPECT_EQ(NextFloat(), 0.5f);
    instance->Set(kRun, 0.125f);
    EXPECT_EQ(NextFloat(), 0.5f);
}

TEST_F(FourSteps, NotANumberStepsAreStoredAndSent) {
    instance->Set(kStepFollow, true);
    instance->Set(Step(3), std::nanf(""));
    EXPECT_TRUE(std::isnan(NextFloat()));
    instance->Set(Step(3), std::nanf(""));  // NaN never equals: sent again
    EXPECT_TRUE(std::isnan(NextFloat()));
    EXPECT_TRUE(std::isnan(instance->GetFloat(Step(3))));
    instance->Set(kRun, 0.1f);
    NextFloat();
    instance->Set(kRun, 0.6f);  // into the third step
    EXPECT_TRUE(std::isnan(NextFloat()));
}

// "Run" outside 0..1 is clamped into it; NaN is ignored.
TEST_F(FourSteps, RunOutsideTheUnitRange) {
    instance->Set(kRun, 7.0f);
    EXPECT_EQ(NextFloat(), 1.0f);  // "Loop end"
    instance->Set(kRun, -INFINITY);
    EXPECT_EQ(NextFloat(), 0.0f);
    instance->Set(kRun, std::nanf(""));
    ExpectNothing();
    EXPECT_EQ(instance->GetFloat(kRun), 0.0f);
}

}  // namespace
