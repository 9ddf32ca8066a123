// The "Run" position of every frame, as a host's clip position moves it:
// from 0 at the start of each loop towards 1, back to 0 at the next loop.
#pragma once

#include <cstdint>
#include <vector>

namespace varnelohost {

class Schedule {
public:
    // `totalSeconds` of play, loops of `loopSeconds`, at `framesPerSecond`.
    // Frame f stands at time f / fps and at position frac(time / loop).
    // All three must be finite and above 0.
    static Schedule Timed(double loopSeconds, double framesPerSecond, double totalSeconds);
    // The positions as given, one per frame, at `framesPerSecond`.
    static Schedule Fixed(std::vector<float> positions, double framesPerSecond);

    std::uint64_t FrameCount() const { return frameCount; }
    // Within 0..1; below 1 for a timed schedule.
    float PositionAt(std::uint64_t frame) const;
    // 0-based loop number of the frame (0 for a fixed list).
    std::uint64_t LoopOf(std::uint64_t frame) const;
    std::uint64_t LoopCount() const;
    // When the frame is due, counted from the first frame.
    double SecondsAt(std::uint64_t frame) const { return static_cast<double>(frame) / frameRate; }
    double TotalSeconds() const { return SecondsAt(frameCount); }
    bool IsFixed() const { return !fixedPositions.empty(); }
    // One pass of "Run" from 0 to 1, in seconds; 0 for a fixed list.
    double LoopSeconds() const { return IsFixed() ? 0.0 : framesPerLoop / frameRate; }

private:
    Schedule() = default;
    // The frame's loop count in loops, split into whole loops and the
    // fraction, robust against f / framesPerLoop landing a hair below a
    // whole number.
    void Split(std::uint64_t frame, std::uint64_t* loop, double* fraction) const;

    std::vector<float> fixedPositions;
    double frameRate = 60.0;
    double framesPerLoop = 120.0;
    std::uint64_t frameCount = 0;
};

}  // namespace varnelohost
