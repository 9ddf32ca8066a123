#include "Schedule.h"

#include <algorithm>
#include <cmath>

namespace varnelohost {

namespace {

// A frame that lies this close below a loop boundary, in loops, is taken
// as on it: f / framesPerLoop is off by a few ulps for rates such as 29.97.
constexpr double kBoundarySlack = 1e-9;

}  // namespace

Schedule Schedule::Timed(double loopSeconds, double framesPerSecond, double totalSeconds) {
    Schedule schedule;
    schedule.frameRate = framesPerSecond;
    schedule.framesPerLoop = loopSeconds * framesPerSecond;
    // Rounded, so 2 loops of 2 s at 60 fps are 240 frames; at least one.
    const double frames = std::max(1.0, std::round(totalSeconds * framesPerSecond));
    schedule.frameCount = static_cast<std::uint64_t>(std::min(frames, 9.0e15));
    return schedule;
}

Schedule Schedule::Fixed(std::vector<float> positions, double framesPerSecond) {
    Schedule schedule;
    schedule.frameRate = framesPerSecond;
    schedule.frameCount = positions.size();
    schedule.fixedPositions = std::move(positions);
    return schedule;
}

void Schedule::Split(std::uint64_t frame, std::uint64_t* loop, double* fraction) const {
    const double loops = static_cast<double>(frame) / framesPerLoop;
    const double whole = std::floor(loops + kBoundarySlack);
    *loop = static_cast<std::uint64_t>(whole);
    *fraction = std::max(0.0, loops - whole);
}

float Schedule::PositionAt(std::uint64_t frame) const {
    if (IsFixed()) return frame < fixedPositions.size() ? fixedPositions[frame] : 0.0f;
    std::uint64_t loop = 0;
    double fraction = 0.0;
    Split(frame, &loop, &fraction);
    // A fraction just below 1 may round up to 1.0f, which is "Loop end"
    // and not part of a looping clip: keep it in the last step.
    const float position = static_cast<float>(fraction);
    return position < 1.0f ? position : std::nextafter(1.0f, 0.0f);
}

std::uint64_t Schedule::LoopOf(std::uint64_t frame) const {
    if (IsFixed()) return 0;
    std::uint64_t loop = 0;
    double fraction = 0.0;
    Split(frame, &loop, &fraction);
    return loop;
}

std::uint64_t Schedule::LoopCount() const {
    if (IsFixed() || frameCount == 0) return 1;
    return LoopOf(frameCount - 1) + 1;
}

}  // namespace varnelohost
