// --plot FILE: one picture of a session as a standalone SVG 1.1 file, so
// that a person sees at a glance what the plug-in sent against its steps.
//
// The picture, from top to bottom:
// - a title: the plug-in's name, the OSC command, the three switches and
//   how the play went (loops, datagrams; or that nothing was received);
// - the step chart, whose x axis is "Run": one bar per step across the
//   share of Run 0..1 it covers and "Loop end" (Run 1.0) as a narrow grey
//   bar at the right edge, on a 0..1 "step value" axis on the left. Each
//   datagram received is one circle at the Run position it was sent for
//   (where Run stood; for a send on a step edit, the middle of that step)
//   and at the height of the step value it stands for, so that a value
//   sent for step value x sits on a bar of height x. The right axis reads
//   those heights in the command's range, min at 0 and max at 1 (for an
//   inverted range the right axis simply counts down);
// - the Run lane: "Run" (y, 0..1, with a line where each step begins) over
//   the time of play (x), one line;
// - the time axis of the lane and a legend.
//
// Time: with a loop length, every time is folded into one loop (time
// modulo the loop), so repeated loops lie on top of each other. Without
// one (a fixed list of positions) the lane's axis spans the whole play.
// The chart's Run axis is the same whatever the time: a value sent in the
// third loop stands where the same value of the first does.
//
// What does not fit: the chart shows step values 0..1. A bar or a point
// beyond that is cut at the chart's top or bottom edge, and a cut point is
// drawn hollow. A value with no height (NaN, or any value when min and max
// are equal or not finite) is drawn hollow at the bottom edge. A datagram
// that is not OSC or carries no number is drawn on the chart's bottom
// line. Every datagram gets exactly one <circle> element whose class holds
// "sent" or "invalid", whatever its value.
//
// Texts come from users (the command) and plug-ins (the name): bytes that
// are not UTF-8 and control characters show as U+FFFD, XML's five reserved
// characters are escaped, and long texts are shortened with "…".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnelohost {

// Where "Run" stood when a frame was played.
struct PlotRunSample {
    double seconds = 0.0;  // play time of the frame, from the first frame
    float position = 0.0f;
};

// One datagram received.
struct PlotPoint {
    std::optional<double> value;  // its number as sent; none: not OSC, or no number
    double position = 0.0;        // the "Run" position it was sent for, 0..1 (1: "Loop end")
    bool afterEdit = false;       // arrived right after a step was set (Step follow)
};

struct PlotData {
    std::string pluginName;  // as the plug-in names itself: "Varnelo 8"
    std::string command;     // the "OSC command" text, "" when none
    float rangeMin = 0.0f;   // the value sent for step value 0
    float rangeMax = 1.0f;   // the value sent for step value 1
    bool integer = false;    // int32 arguments rather than float32
    bool smooth = false;
    bool stepFollow = false;
    bool bundle = false;             // "OSC Bundle"
    bool listening = true;           // false: nothing was received (--no-listen), none drawn
    std::vector<float> steps;        // "Step 1" ... in order, as they stood at the end
    std::optional<float> loopEnd;    // "Loop end", when the plug-in has one
    double loopSeconds = 0.0;        // one pass of "Run"; 0 (or not finite): no loops, a fixed list
    std::vector<PlotRunSample> run;  // one per frame played, in order
    std::vector<PlotPoint> sent;     // one per datagram received, in order
};

// The number a datagram's argument carries, from its OSC type tag and the
// text the listener made of it ("127.5", "-3", "inf", "nan"): a value for
// the numeric tags f, d, i and h; none for any other tag or a text that is
// not wholly a number.
std::optional<double> NumberFromArgument(char typeTag, const std::string& text);

// The whole SVG document, UTF-8, ending in a newline.
std::string RenderPlot(const PlotData& data);

// Writes RenderPlot(data) to `path`, replacing the file. False with a
// one-line reason in `error` when the file cannot be written.
bool WritePlot(const std::string& path, const PlotData& data, std::string* error);

// Whether `path` can be written, checked before a session so that a wrong
// path fails at once; the reason as WritePlot gives it. A file made only
// for the check is removed again; an existing one is left as it is.
bool PlotFileWritable(const std::string& path, std::string* error);

}  // namespace varnelohost
