// varnelo-host: a small FreeFrame GL 1.x host for the command line. Shows a
// plug-in as a host's browser does, plays its "Run" parameter like a clip
// position and prints the OSC that arrives where the plug-in sends
// (127.0.0.1:7000 unless the command or the build names another port).
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "Listening.h"
#include "Options.h"
#include "OscListener.h"
#include "Output.h"
#include "Picture.h"
#include "Plot.h"
#include "PluginDescription.h"
#include "PluginFinder.h"
#include "Session.h"
#include "Settings.h"
#include "Text.h"

namespace varnelohost {
namespace {

// The size of the test picture and of the viewport passed at code 18.
constexpr std::uint32_t kPictureWidth = 640;
constexpr std::uint32_t kPictureHeight = 360;

// The message on stderr, line by line, with whatever a terminal would act
// on written out: it may hold texts from the command line or the system.
int Fail(const std::string& message, int status = 1) {
    std::string shown;
    for (std::size_t start = 0; start <= message.size();) {
        const std::size_t end = std::min(message.find('\n', start), message.size());
        shown += (start > 0 ? "\n" : "") + Printable(message.substr(start, end - start));
        start = end + 1;
    }
    std::fprintf(stderr, "varnelo-host: error: %s\n", shown.c_str());
    return status;
}

void OnSignal(int) { stopRequested = true; }

void CatchSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Only the character type follows the user's locale (to know whether the
// terminal takes UTF-8); numbers stay in the "C" locale for the plug-in
// and for our own output.
bool TerminalTakesUtf8() {
    std::setlocale(LC_CTYPE, "");
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

bool UseLiveView(View view) {
    if (view == View::kAuto) return isatty(STDOUT_FILENO) == 1;
    return view == View::kLive;
}

bool CommandGiven(const Options& options) {
    bool given = false;
    for (const ParameterSetting& setting : options.settings) given |= setting.name == "OSC command";
    return given;
}

// The settings to apply: the built-in command first when the plug-in has
// an "OSC command" that the command line leaves alone, then --set in order.
bool ResolveSettings(const Options& options, const PluginDescription& plugin,
                     std::vector<ParameterValue>* values, std::string* error) {
    const bool commandGiven = CommandGiven(options);
    std::string ignored;
    if (!commandGiven) {
        if (auto value =
                ResolveSetting(plugin.parameters, {"OSC command", kDefaultCommand}, &ignored)) {
            if (value->type == ffgl::kTypeText) values->push_back(std::move(*value));
        }
    }
    for (const ParameterSetting& setting : options.settings) {
        std::optional<ParameterValue> value = ResolveSetting(plugin.parameters, setting, error);
        if (!value) return false;
        values->push_back(std::move(*value));
    }
    return true;
}

// How the plug-in reads the last "OSC command" text set; none when the
// plug-in has no such text parameter.
std::optional<CommandReport> ReportCommand(const Options& options,
                                           const std::vector<ParameterValue>& values) {
    std::optional<CommandReport> report;
    for (const ParameterValue& value : values) {
        if (value.name == "OSC command" && value.type == ffgl::kTypeText)
            report = ExplainCommand(value.text, !CommandGiven(options));
    }
    return report;
}

// --list: one line per plug-in found; an error when there is none.
int List() {
    const std::vector<FoundPlugin> found = FoundPlugins();
    if (found.empty())
        return Fail("no plug-ins found next to this program (" + SearchedFolders() + ")");
    for (const std::string& line : FoundLines(found, "")) std::cout << Printable(line) << "\n";
    return 0;
}

// Binds where the plug-in sends, as far as the host can tell; null with the
// plan left without a listener when it does not listen. False with the
// error when it cannot listen where it should.
bool OpenListener(const Options& options, SessionPlan* plan, std::unique_ptr<OscListener>* listener,
                  std::string* error) {
    const ListenRequest request{options.listen, options.listenPort};
    const Listening listening = DecideListening(request, plan->command ? &*plan->command : nullptr,
                                                ThisBuildsDestination());
    if (!listening.error.empty()) {
        *error = listening.error;
        return false;
    }
    plan->listenNote = listening.note;
    if (!listening.port) return true;
    OscListener::OpenFailure failure = OscListener::OpenFailure::kNone;
    *listener = OscListener::Open(*listening.port, &failure, error);
    if (failure == OscListener::OpenFailure::kInUse) {
        *error +=
            ": another receiver has the port; run with --no-listen to leave it to that "
            "receiver";
    }
    plan->listener = listener->get();
    return *listener != nullptr;
}

Schedule MakeSchedule(const Options& options) {
    if (!options.runList.empty()) return Schedule::Fixed(options.runList, options.framesPerSecond);
    const double seconds =
        options.durationSeconds ? *options.durationSeconds : options.loops * options.loopSeconds;
    return Schedule::Timed(options.loopSeconds, options.framesPerSecond, seconds);
}

std::optional<std::uint32_t> FindRun(const PluginDescription& plugin) {
    for (const hostkit::ParameterInfo& parameter : plugin.parameters) {
        if (parameter.name == "Run") return parameter.index;
    }
    return std::nullopt;
}

int Main(int argc, const char* const* argv) {
    std::string error;
    const std::optional<Options> options = ParseOptions(argc, argv, &error);
    if (!options) return Fail(error, 2);
    if (options->help) {
        std::cout << UsageText();
        return 0;
    }
    if (options->list) return List();
    const std::optional<std::string> path = ResolvePluginPath(options->plugin, &error);
    if (!path) return Fail(error);
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadPlugin(*path, &error);
    if (library == nullptr) return Fail(error);
    const PluginDescription plugin = Describe(*library);
    const bool live = UseLiveView(options->view);
    const std::unique_ptr<Output> output =
        live ? MakeLiveOutput(TerminalTakesUtf8()) : MakePlainOutput();
    if (options->infoOnly) {
        output->Listing(plugin);
        library->Call(ffgl::kDeinitialise);
        return 0;
    }

    SessionPlan plan;
    plan.library = library.get();
    plan.plugin = &plugin;
    if (!ResolveSettings(*options, plugin, &plan.settings, &error)) return Fail(error);
    plan.command = ReportCommand(*options, plan.settings);
    const std::optional<std::uint32_t> run = FindRun(plugin);
    if (!run)
        return Fail(Bare(plugin.path) +
                    ": the plug-in has no parameter \"Run\" to play (--info lists it)");
    plan.runIndex = *run;
    plan.schedule = MakeSchedule(*options);
    plan.framesPerSecond = options->framesPerSecond;
    plan.realTime = !options->fast;
    plan.viewport = {0, 0, kPictureWidth, kPictureHeight};
    plan.plotPath = options->plotPath;
    if (!plan.plotPath.empty() && !PlotFileWritable(plan.plotPath, &error)) return Fail(error);

    std::unique_ptr<OscListener> listener;
    if (!OpenListener(*options, &plan, &listener, &error)) return Fail(error);
    std::unique_ptr<PictureCheck> pictures;
    if (options->frames) {
        pictures = PictureCheck::Create(kPictureWidth, kPictureHeight, &error);
        if (pictures == nullptr) return Fail(error);
    }
    plan.pictures = pictures.get();

    CatchSignals();
    output->Listing(plugin);
    const int status = RunSession(plan, *output);
    library->Call(ffgl::kDeinitialise);
    return status;
}

}  // namespace
}  // namespace varnelohost

int main(int argc, char** argv) { return varnelohost::Main(argc, argv); }
