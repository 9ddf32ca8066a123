#include "Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "Listening.h"
#include "Plot.h"
#include "StepMirror.h"
#include "Text.h"

namespace varnelohost {

std::atomic<bool> stopRequested{false};

namespace {

using Clock = std::chrono::steady_clock;

// After the last frame, datagrams still on the way get this long.
constexpr int kQuietMs = 100;

// Parameters the mirror, the live view and the plot follow, found by name.
struct Watched {
    std::vector<std::uint32_t> steps;  // "Step 1", "Step 2", ... while they last
    std::int64_t loopEnd = -1;
    std::int64_t command = -1;
    std::int64_t smooth = -1;
    std::int64_t stepFollow = -1;
    std::int64_t bundle = -1;
};

// The index of a switch called `name`, or -1.
std::int64_t SwitchIndex(const hostkit::ParameterInfo& parameter, const char* name) {
    if (parameter.name != name || parameter.type != ffgl::kTypeBoolean) return -1;
    return parameter.index;
}

Watched FindWatched(const PluginDescription& plugin) {
    Watched watched;
    for (const hostkit::ParameterInfo& parameter : plugin.parameters) {
        if (parameter.name == "Step " + std::to_string(watched.steps.size() + 1)) {
            watched.steps.push_back(parameter.index);
        } else if (parameter.name == "Loop end") {
            watched.loopEnd = parameter.index;
        } else if (parameter.name == "OSC command" && parameter.type == ffgl::kTypeText) {
            watched.command = parameter.index;
        }
        watched.smooth = std::max(watched.smooth, SwitchIndex(parameter, "Smooth"));
        watched.stepFollow = std::max(watched.stepFollow, SwitchIndex(parameter, "Step follow"));
        watched.bundle = std::max(watched.bundle, SwitchIndex(parameter, "OSC Bundle"));
    }
    return watched;
}

// A mirror of the plug-in's step rule when it has the steps of a Varnelo.
std::optional<StepMirror> MakeMirror(const Watched& watched) {
    if (watched.loopEnd < 0) return std::nullopt;
    return StepMirror::ForSteps(static_cast<std::uint32_t>(watched.steps.size()));
}

// The number a datagram carries in its last argument, as the plot places it.
std::optional<double> SentValue(const ReceivedDatagram& datagram) {
    if (!datagram.error.empty() || datagram.messages.empty()) return std::nullopt;
    const ReceivedMessage& message = datagram.messages.back();
    if (message.values.empty() || message.typeTags.size() != message.values.size() + 1)
        return std::nullopt;
    return NumberFromArgument(message.typeTags.back(), message.values.back());
}

// The number code 8 passed for a setting: a switch as 1 or 0.
float SetNumber(const ParameterValue& value) {
    if (value.type == ffgl::kTypeBoolean || value.type == ffgl::kTypeEvent)
        return value.on ? 1.0f : 0.0f;
    return value.number;
}

class Player {
public:
    Player(const SessionPlan& session, Output& out, const hostkit::PluginInstance& played)
        : plan(session),
          output(out),
          instance(played),
          watched(FindWatched(*session.plugin)),
          mirror(MakeMirror(watched)) {
        if (plan.listener != nullptr) summary.listenAt = ListenAddress(plan.listener->Port());
        summary.drawing = plan.pictures != nullptr;
        if (!plan.plotPath.empty()) plot.emplace();
    }

    int Run() {
        MirrorInstantiation();
        ApplySettings();
        if (plan.command) output.Command(*plan.command);
        if (!plan.listenNote.empty()) output.Note(plan.listenNote);
        StartPlot();
        output.Play(plan.schedule, plan.framesPerSecond, summary.listenAt, summary.drawing);
        const Clock::time_point start = Clock::now();
        for (std::uint64_t frame = 0; frame < plan.schedule.FrameCount(); ++frame) {
            if (plan.realTime) WaitUntil(start + Seconds(plan.schedule.SecondsAt(frame)));
            if (stopRequested) break;
            PlayFrame(frame);
        }
        summary.interrupted = stopRequested;
        if (!summary.interrupted) Settle();
        Sum();
        output.Finish(summary);
        const bool plotted = WritePlotFile();
        if (summary.interrupted) return 130;
        return summary.drawn == summary.unchanged && plotted ? 0 : 1;
    }

private:
    static Clock::duration Seconds(double seconds) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }

    bool Switch(std::int64_t index) const {
        return index >= 0 && instance.GetNumber(static_cast<std::uint32_t>(index)) != 0;
    }

    float Float(std::int64_t index) const {
        return instance.GetFloat(static_cast<std::uint32_t>(index));
    }

    // The slot of a step or "Loop end" parameter, or none.
    std::optional<std::uint32_t> SlotOf(std::uint32_t index) const {
        const auto step = std::find(watched.steps.begin(), watched.steps.end(), index);
        if (step != watched.steps.end())
            return static_cast<std::uint32_t>(step - watched.steps.begin());
        if (index == watched.loopEnd) return static_cast<std::uint32_t>(watched.steps.size());
        return std::nullopt;
    }

    // The set just made on the plug-in, made on the mirror; counts the value due.
    void MirrorSet(std::uint32_t index, float number) {
        if (!mirror) return;
        std::optional<float> due;
        if (index == plan.runIndex) {
            due = mirror->SetRun(number);
        } else if (const std::optional<std::uint32_t> slot = SlotOf(index)) {
            due = mirror->SetStep(*slot, number);
        } else if (index == watched.smooth) {
            mirror->SetSmooth(number != 0.0f);
        } else if (index == watched.stepFollow) {
            mirror->SetStepFollow(number != 0.0f);
        }
        if (due) ++dueCount;
    }

    // The instance applies its defaults through the same sets before the
    // host can listen (and before it makes its destination): the mirror
    // does too, and counts nothing of it.
    void MirrorInstantiation() {
        for (const hostkit::ParameterInfo& parameter : plan.plugin->parameters) {
            if (parameter.type != ffgl::kTypeText)
                MirrorSet(parameter.index, parameter.defaultValue);
        }
        dueCount = 0;
    }

    void ApplySettings() {
        for (const ParameterValue& value : plan.settings) {
            const std::uint32_t status = Apply(instance, value);
            output.Set(value, status);
            if (status == ffgl::kSuccess && value.type != ffgl::kTypeText)
                MirrorSet(value.index, SetNumber(value));
            // With "Step follow" on, a step set sends its value at once.
            Receive(0, SlotOf(value.index));
        }
    }

    // After the settings: what the plot shows of them.
    void StartPlot() {
        if (!plot) return;
        plot->pluginName = plan.plugin->name;
        if (plan.command) {
            plot->command = plan.command->kept;
            plot->rangeMin = plan.command->rangeMin;
            plot->rangeMax = plan.command->rangeMax;
            plot->integer = plan.command->integer;
        }
        plot->smooth = Switch(watched.smooth);
        plot->stepFollow = Switch(watched.stepFollow);
        plot->bundle = Switch(watched.bundle);
        plot->listening = plan.listener != nullptr;
        plot->loopSeconds = plan.schedule.LoopSeconds();
    }

    void PlayFrame(std::uint64_t frame) {
        seconds = plan.schedule.SecondsAt(frame);
        const float position = plan.schedule.PositionAt(frame);
        instance.Set(plan.runIndex, position);
        runSet = position;
        MirrorSet(plan.runIndex, position);
        if (plot) plot->run.push_back({seconds, position});
        ++summary.frames;
        if (plan.pictures != nullptr) Draw(frame);
        Receive(0);
        output.Frame(Panel(frame));
    }

    void Sum() {
        if (mirror) summary.due = dueCount;
        if (plan.listener != nullptr && summary.received == 0 && !summary.interrupted) {
            summary.silenceHint = SilenceHint(plan.listener->Port(), summary.due,
                                              plan.command ? &*plan.command : nullptr);
        }
    }

    // The steps as they stand at the end, then the file; a one-line error
    // when it cannot be written.
    bool WritePlotFile() {
        if (!plot) return true;
        plot->steps.clear();
        for (const std::uint32_t index : watched.steps) plot->steps.push_back(Float(index));
        if (watched.loopEnd >= 0) plot->loopEnd = Float(watched.loopEnd);
        std::string error;
        if (!WritePlot(plan.plotPath, *plot, &error)) {
            std::fprintf(stderr, "varnelo-host: error: %s\n", Printable(error).c_str());
            return false;
        }
        output.PlotWritten(plan.plotPath);
        return true;
    }

    void Draw(std::uint64_t frame) {
        ++summary.drawn;
        const std::optional<std::string> difference = plan.pictures->Draw(instance);
        if (!difference) {
            ++summary.unchanged;
        } else if (summary.drawn - summary.unchanged == 1) {
            output.PictureChanged(frame, *difference);  // the first only
        }
    }

    // Receives until `deadline`, then sleeps the last part of a millisecond.
    void WaitUntil(Clock::time_point deadline) {
        while (!stopRequested) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 1) break;
            if (plan.listener != nullptr) {
                if (Receive(static_cast<int>(left.count())) > 0) output.Frame(lastPanel);
            } else {
                std::this_thread::sleep_for(left);
            }
        }
        std::this_thread::sleep_until(deadline);
    }

    // What is still on the way after the last frame.
    void Settle() {
        if (plan.listener == nullptr) return;
        while (Receive(kQuietMs) > 0) {
        }
        output.Frame(lastPanel);
    }

    // `editedSlot`: what arrives now was sent on an edit of that step.
    std::size_t Receive(int timeoutMs, std::optional<std::uint32_t> editedSlot = std::nullopt) {
        if (plan.listener == nullptr) return 0;
        const std::vector<ReceivedDatagram> datagrams = plan.listener->Receive(timeoutMs);
        for (const ReceivedDatagram& datagram : datagrams) Count(datagram, editedSlot);
        return datagrams.size();
    }

    // Where on the plot's "Run" axis a value arriving now belongs: in the
    // middle of the step edited, or where "Run" stands.
    double PlotPosition(std::optional<std::uint32_t> editedSlot) const {
        if (!mirror) return runSet;
        if (!editedSlot) return mirror->Run();
        return (*editedSlot + 0.5) / static_cast<double>(mirror->StepCount());
    }

    void Count(const ReceivedDatagram& datagram, std::optional<std::uint32_t> editedSlot) {
        if (plot)
            plot->sent.push_back(
                {SentValue(datagram), PlotPosition(editedSlot), editedSlot.has_value()});
        ++summary.received;
        if (!datagram.error.empty()) {
            ++summary.invalid;
        } else if (datagram.bundle) {
            ++summary.bundles;
        } else {
            ++summary.messages;
        }
        lastPanel.lastSent = DatagramLine(datagram);
        lastPanel.received = summary.received;
        output.Datagram(datagram, seconds);
    }

    const PanelState& Panel(std::uint64_t frame) {
        PanelState& panel = lastPanel;
        panel.pluginName = plan.plugin->name;
        panel.listenAt = summary.listenAt;
        panel.frame = frame;
        panel.frameCount = plan.schedule.FrameCount();
        panel.loop = plan.schedule.LoopOf(frame);
        panel.loopCount = plan.schedule.LoopCount();
        panel.seconds = seconds;
        panel.totalSeconds = plan.schedule.TotalSeconds();
        panel.run = plan.schedule.PositionAt(frame);
        panel.runDisplay = instance.Display(plan.runIndex);
        if (mirror) panel.currentStep = mirror->CurrentStep();
        panel.command =
            watched.command >= 0
                ? SafeText(instance.GetText(static_cast<std::uint32_t>(watched.command)))
                : "";
        panel.steps.clear();
        for (const std::uint32_t index : watched.steps)
            panel.steps.push_back(instance.GetFloat(index));
        if (watched.loopEnd >= 0) panel.loopEnd = Float(watched.loopEnd);
        return panel;
    }

    // A text parameter's value, "" for null or the all-ones failure.
    static std::string SafeText(const char* text) {
        if (text == nullptr || ffgl::WordFromAddress(text) == ffgl::kAllOnes) return "";
        return text;
    }

    const SessionPlan& plan;
    Output& output;
    const hostkit::PluginInstance& instance;
    Watched watched;
    std::optional<StepMirror> mirror;  // none: the host cannot tell what is due
    std::uint64_t dueCount = 0;
    float runSet = 0.0f;  // the last "Run" position set
    Summary summary;
    std::optional<PlotData> plot;  // with --plot
    PanelState lastPanel;
    double seconds = 0.0;
};

}  // namespace

int RunSession(const SessionPlan& plan, Output& output) {
    hostkit::PluginInstance instance(*plan.library, plan.viewport);
    if (!instance.Valid()) {
        std::fprintf(stderr,
                     "varnelo-host: error: %s: the plug-in refused to instantiate (code 18)\n",
                     Printable(Bare(plan.plugin->path)).c_str());
        return 1;
    }
    return Player(plan, output, instance).Run();
}

}  // namespace varnelohost
