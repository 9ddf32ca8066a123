#include "Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "Plot.h"
#include "Text.h"

namespace varnelohost {

std::atomic<bool> stopRequested{false};

namespace {

using Clock = std::chrono::steady_clock;

// After the last frame, datagrams still on the way get this long.
constexpr int kQuietMs = 100;

// Parameters the live view, the counts and the plot follow, found by name.
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

// The number a datagram carries in its last argument, as the plot places it.
std::optional<double> SentValue(const ReceivedDatagram& datagram) {
    if (!datagram.error.empty() || datagram.messages.empty()) return std::nullopt;
    const ReceivedMessage& message = datagram.messages.back();
    if (message.values.empty() || message.typeTags.size() != message.values.size() + 1)
        return std::nullopt;
    return NumberFromArgument(message.typeTags.back(), message.values.back());
}

class Player {
public:
    Player(const SessionPlan& plan, Output& output, const hostkit::PluginInstance& instance)
        : plan_(plan), output_(output), instance_(instance), watched_(FindWatched(*plan.plugin)) {
        summary_.listening = plan.listener != nullptr;
        summary_.drawing = plan.pictures != nullptr;
        if (!plan.plotPath.empty()) plot_.emplace();
    }

    int Run() {
        ApplySettings();
        if (plan_.command) output_.Command(*plan_.command);
        StartCounting();
        output_.Play(plan_.schedule, plan_.framesPerSecond, summary_.listening, summary_.drawing);
        const Clock::time_point start = Clock::now();
        for (std::uint64_t frame = 0; frame < plan_.schedule.FrameCount(); ++frame) {
            if (plan_.realTime) WaitUntil(start + Seconds(plan_.schedule.SecondsAt(frame)));
            if (stopRequested) break;
            PlayFrame(frame);
        }
        summary_.interrupted = stopRequested;
        if (!summary_.interrupted) Settle();
        if (!watched_.steps.empty()) summary_.stepsEntered = counter_->StepsEntered();
        summary_.sent = counter_->Sent();
        output_.Finish(summary_);
        const bool plotted = WritePlotFile();
        if (summary_.interrupted) return 130;
        return summary_.drawn == summary_.unchanged && plotted ? 0 : 1;
    }

private:
    static Clock::duration Seconds(double seconds) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }

    bool Switch(std::int64_t index) const {
        return index >= 0 && instance_.GetNumber(static_cast<std::uint32_t>(index)) != 0;
    }

    float Float(std::int64_t index) const {
        return instance_.GetFloat(static_cast<std::uint32_t>(index));
    }

    void ApplySettings() {
        for (const ParameterValue& value : plan_.settings) {
            output_.Set(value, Apply(instance_, value));
            // With "Step follow" on, a step set sends its value at once.
            const bool stepEdit = std::find(watched_.steps.begin(), watched_.steps.end(),
                                            value.index) != watched_.steps.end();
            Receive(0, stepEdit);
        }
    }

    // After the settings: where "Run" stands and what the plot shows of them.
    void StartCounting() {
        summary_.smooth = Switch(watched_.smooth);
        counter_.emplace(static_cast<std::uint32_t>(watched_.steps.size()), Float(plan_.runIndex),
                         summary_.smooth);
        if (!plot_) return;
        plot_->pluginName = plan_.plugin->name;
        if (plan_.command) {
            plot_->command = plan_.command->kept;
            plot_->rangeMin = plan_.command->rangeMin;
            plot_->rangeMax = plan_.command->rangeMax;
            plot_->integer = plan_.command->integer;
        }
        plot_->smooth = summary_.smooth;
        plot_->stepFollow = Switch(watched_.stepFollow);
        plot_->bundle = Switch(watched_.bundle);
        plot_->listening = summary_.listening;
        plot_->loopSeconds = plan_.schedule.LoopSeconds();
    }

    void PlayFrame(std::uint64_t frame) {
        seconds_ = plan_.schedule.SecondsAt(frame);
        const float position = plan_.schedule.PositionAt(frame);
        instance_.Set(plan_.runIndex, position);
        counter_->Set(position);
        if (plot_) plot_->run.push_back({seconds_, position});
        ++summary_.frames;
        if (plan_.pictures != nullptr) Draw(frame);
        Receive(0);
        output_.Frame(Panel(frame));
    }

    // The steps as they stand at the end, then the file; a one-line error
    // when it cannot be written.
    bool WritePlotFile() {
        if (!plot_) return true;
        plot_->steps.clear();
        for (const std::uint32_t index : watched_.steps) plot_->steps.push_back(Float(index));
        if (watched_.loopEnd >= 0) plot_->loopEnd = Float(watched_.loopEnd);
        std::string error;
        if (!WritePlot(plan_.plotPath, *plot_, &error)) {
            std::fprintf(stderr, "varnelo-host: error: %s\n", error.c_str());
            return false;
        }
        output_.PlotWritten(plan_.plotPath);
        return true;
    }

    void Draw(std::uint64_t frame) {
        ++summary_.drawn;
        const std::optional<std::string> difference = plan_.pictures->Draw(instance_);
        if (!difference) {
            ++summary_.unchanged;
        } else if (summary_.drawn - summary_.unchanged == 1) {
            output_.PictureChanged(frame, *difference);  // the first only
        }
    }

    // Receives until `deadline`, then sleeps the last part of a millisecond.
    void WaitUntil(Clock::time_point deadline) {
        while (!stopRequested) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 1) break;
            if (plan_.listener != nullptr) {
                if (Receive(static_cast<int>(left.count())) > 0) output_.Frame(lastPanel_);
            } else {
                std::this_thread::sleep_for(left);
            }
        }
        std::this_thread::sleep_until(deadline);
    }

    // What is still on the way after the last frame.
    void Settle() {
        if (plan_.listener == nullptr) return;
        while (Receive(kQuietMs) > 0) {
        }
        output_.Frame(lastPanel_);
    }

    // `afterEdit`: what arrives was sent on a step edit.
    std::size_t Receive(int timeoutMs, bool afterEdit = false) {
        if (plan_.listener == nullptr) return 0;
        const std::vector<ReceivedDatagram> datagrams = plan_.listener->Receive(timeoutMs);
        for (const ReceivedDatagram& datagram : datagrams) Count(datagram, afterEdit);
        return datagrams.size();
    }

    void Count(const ReceivedDatagram& datagram, bool afterEdit) {
        if (plot_) plot_->sent.push_back({seconds_, SentValue(datagram), afterEdit});
        ++summary_.datagrams;
        if (!datagram.error.empty()) {
            ++summary_.invalid;
        } else if (datagram.bundle) {
            ++summary_.bundles;
        } else {
            ++summary_.messages;
        }
        lastPanel_.lastSent = DatagramLine(datagram);
        lastPanel_.datagrams = summary_.datagrams;
        output_.Datagram(datagram, seconds_);
    }

    const PanelState& Panel(std::uint64_t frame) {
        PanelState& panel = lastPanel_;
        panel.pluginName = plan_.plugin->name;
        panel.listening = summary_.listening;
        panel.frame = frame;
        panel.frameCount = plan_.schedule.FrameCount();
        panel.loop = plan_.schedule.LoopOf(frame);
        panel.loopCount = plan_.schedule.LoopCount();
        panel.seconds = seconds_;
        panel.totalSeconds = plan_.schedule.TotalSeconds();
        panel.run = plan_.schedule.PositionAt(frame);
        panel.runDisplay = instance_.Display(plan_.runIndex);
        panel.command =
            watched_.command >= 0
                ? SafeText(instance_.GetText(static_cast<std::uint32_t>(watched_.command)))
                : "";
        panel.steps.clear();
        for (const std::uint32_t index : watched_.steps)
            panel.steps.push_back(instance_.GetFloat(index));
        if (watched_.loopEnd >= 0)
            panel.loopEnd = instance_.GetFloat(static_cast<std::uint32_t>(watched_.loopEnd));
        return panel;
    }

    // A text parameter's value, "" for null or the all-ones failure.
    static std::string SafeText(const char* text) {
        if (text == nullptr || ffgl::WordFromAddress(text) == ffgl::kAllOnes) return "";
        return text;
    }

    const SessionPlan& plan_;
    Output& output_;
    const hostkit::PluginInstance& instance_;
    Watched watched_;
    Summary summary_;
    std::optional<StepCounter> counter_;  // from the first frame on
    std::optional<PlotData> plot_;        // with --plot
    PanelState lastPanel_;
    double seconds_ = 0.0;
};

}  // namespace

int RunSession(const SessionPlan& plan, Output& output) {
    hostkit::PluginInstance instance(*plan.library, plan.viewport);
    if (!instance.Valid()) {
        std::fprintf(stderr,
                     "varnelo-host: error: %s: the plug-in refused to instantiate (code 18)\n",
                     plan.plugin->path.c_str());
        return 1;
    }
    return Player(plan, output, instance).Run();
}

}  // namespace varnelohost
