#include "Options.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace varnelohost {

namespace {

// The whole of `text` as a finite double, or nothing.
std::optional<double> ParseNumber(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (text.empty() || failure != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The positions of one --run word: numbers from 0 to 1 separated by commas.
bool AppendPositions(const std::string& word, std::vector<float>* positions, std::string* error) {
    std::size_t start = 0;
    while (start <= word.size()) {
        const std::size_t comma = std::min(word.find(',', start), word.size());
        const std::string item = word.substr(start, comma - start);
        const std::optional<double> value = ParseNumber(item);
        if (!value || *value < 0.0 || *value > 1.0) {
            *error = "--run takes positions from 0 to 1, not \"" + item + "\"";
            return false;
        }
        positions->push_back(static_cast<float>(*value));
        start = comma + 1;
    }
    return true;
}

bool LooksLikePositions(const char* word) {
    return word[0] != '\0' && std::strspn(word, "0123456789.,eE+-") == std::strlen(word) &&
           !(word[0] == '-' && word[1] == '-');
}

class Parser {
public:
    Parser(int argc, const char* const* argv) : argumentCount(argc), arguments(argv) {}

    std::optional<Options> Run(std::string* error) {
        for (next = 1; next < argumentCount;) {
            const std::string word = arguments[next++];
            if (!Handle(word, error)) return std::nullopt;
        }
        if (options.durationSeconds && loopsGiven) {
            *error = "--duration and --loops both say how long to play; give one";
            return std::nullopt;
        }
        if (loopBeats) options.loopSeconds = *loopBeats * 60.0 / tempo;
        if (tempoGiven && !loopBeats) {
            *error = "--bpm needs --beats (the loop length in beats)";
            return std::nullopt;
        }
        if (loopBeats && loopGiven) {
            *error = "--loop and --beats both give the loop length; give one";
            return std::nullopt;
        }
        return options;
    }

private:
    bool Handle(const std::string& word, std::string* error) {
        if (HandleSwitch(word)) return true;
        if (word == "--set") return Set(error);
        if (word == "--run") return Positions(error);
        if (word == "--loop")
            return Positive(word, &options.loopSeconds, 1e6, error) && Mark(&loopGiven);
        if (word == "--fps") return Positive(word, &options.framesPerSecond, 1000.0, error);
        if (word == "--loops")
            return Positive(word, &options.loops, 1e6, error) && Mark(&loopsGiven);
        if (word == "--bpm") return Positive(word, &tempo, 1000.0, error) && Mark(&tempoGiven);
        if (word == "--beats") {
            double beats = 0.0;
            if (!Positive(word, &beats, 1e6, error)) return false;
            loopBeats = beats;
            return true;
        }
        if (word == "--plot") return Plot(error);
        if (word == "--duration") {
            double seconds = 0.0;
            if (!Positive(word, &seconds, 1e7, error)) return false;
            options.durationSeconds = seconds;
            return true;
        }
        if (word.size() > 1 && word[0] == '-') {
            *error = "unknown option " + word + " (see --help)";
            return false;
        }
        if (!options.plugin.empty()) {
            *error = "one plug-in at a time: " + options.plugin + " and " + word;
            return false;
        }
        options.plugin = word;
        return true;
    }

    // Options without a value; false for any other word.
    bool HandleSwitch(const std::string& word) {
        if (word == "-h" || word == "--help")
            options.help = true;
        else if (word == "--info")
            options.infoOnly = true;
        else if (word == "--fast")
            options.fast = true;
        else if (word == "--frames")
            options.frames = true;
        else if (word == "--no-listen")
            options.listen = false;
        else if (word == "--plain")
            options.view = View::kPlain;
        else if (word == "--live")
            options.view = View::kLive;
        else
            return false;
        return true;
    }

    static bool Mark(bool* given) {
        *given = true;
        return true;
    }

    const char* Value(const std::string& option, std::string* error) {
        if (next >= argumentCount) {
            *error = option + " needs a value";
            return nullptr;
        }
        return arguments[next++];
    }

    bool Positive(const std::string& option, double* target, double most, std::string* error) {
        const char* text = Value(option, error);
        if (text == nullptr) return false;
        const std::optional<double> value = ParseNumber(text);
        if (!value || *value <= 0.0 || *value > most) {
            *error = option + " takes a number above 0 and up to " +
                     std::to_string(static_cast<long>(most)) + ", not \"" + text + "\"";
            return false;
        }
        *target = *value;
        return true;
    }

    bool Set(std::string* error) {
        const char* text = Value("--set", error);
        if (text == nullptr) return false;
        const std::string assignment = text;
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = "--set takes NAME=VALUE, not \"" + assignment + "\"";
            return false;
        }
        options.settings.push_back({assignment.substr(0, equals), assignment.substr(equals + 1)});
        return true;
    }

    bool Plot(std::string* error) {
        const char* path = Value("--plot", error);
        if (path == nullptr) return false;
        if (path[0] == '\0') {
            *error = "--plot needs a file name, e.g. --plot loop.svg";
            return false;
        }
        options.plotPath = path;
        return true;
    }

    // --run V [V ...]: every following word made of numbers and commas.
    bool Positions(std::string* error) {
        const char* first = Value("--run", error);
        if (first == nullptr) return false;
        if (!AppendPositions(first, &options.runList, error)) return false;
        while (next < argumentCount && LooksLikePositions(arguments[next])) {
            if (!AppendPositions(arguments[next++], &options.runList, error)) return false;
        }
        return true;
    }

    int argumentCount;
    const char* const* arguments;
    int next = 1;
    Options options;
    std::optional<double> loopBeats;
    double tempo = 120.0;
    bool tempoGiven = false;
    bool loopGiven = false;
    bool loopsGiven = false;
};

}  // namespace

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string* error) {
    return Parser(argc, argv).Run(error);
}

std::string UsageText() {
    return R"(Usage: varnelo-host [PLUGIN] [OPTIONS]

Loads a FreeFrame GL 1.x plug-in as a VJ host does, shows what the host's
plug-in browser shows, and plays its "Run" parameter from 0 to 1 like a
clip position, while it listens on 127.0.0.1:7000 and prints every OSC
message or bundle that arrives.

PLUGIN is a path to the library, or Varnelo4, Varnelo8, Varnelo16 or
Varnelo32 from the plug-in folder next to this program (default Varnelo4);
a name it cannot find gets the list of plug-ins found and the nearest name.
Without --set "OSC command=...", a plug-in with that parameter gets
"/fader f[0:255]".

Before playing, the host tells how the plug-in reads the OSC command (its
address, int32 or float32, and the range of values sent) and warns, with a
hint, of what is likely a mistake: an empty command, an address without a
leading "/", a range the plug-in drops or a min or max that is not a
number, a command longer than the 2047 characters the plug-in keeps. It
explains; the plug-in still sends what it sends.

  --info              show the plug-in and its parameters, then stop
  --set NAME=VALUE    set a parameter by name after instantiating; numbers
                      from 0 to 1, switches on/off, texts as they stand
  --loop SECONDS      loop length (default 2)
  --beats B [--bpm T] loop length in beats at a tempo (default 120 bpm)
  --fps F             frames per second (default 60)
  --loops L           play L loops (default 2)
  --duration SECONDS  play this long instead
  --run V [V ...]     play these "Run" positions instead, one per frame
  --fast              play the frames back to back, not in real time
  --frames            draw every frame through the plug-in in a headless
                      EGL context and check the picture passes unchanged
  --no-listen         leave port 7000 to another receiver (oscdump 7000);
                      the summary counts what the plug-in sent instead
  --plot FILE.svg     write a picture of the run at the end: the steps as
                      bars, "Run" over the loop's time, and each datagram
                      received as a point at the value sent
  --plain | --live    one line per datagram, or the live view (default:
                      the live view on a terminal)
  -h, --help          this text

Plain output:
  "param" and "set" lines; then how the plug-in reads its command:
    command default "/fader f[0:255]" (no --set "OSC command=..." given)
    command address "/fader" float32 range 0 255
    command address "/x" float32 range 0 1 (no range: 0..1 applies)
    warning WHAT: HINT
  "recv ADDRESS ,TAGS VALUE..." per datagram (a bundle reads "recv bundle
  TIMETAG ADDRESS ,TAGS VALUE..."); one that is not OSC 1.0 reads "recv
  invalid N bytes: REASON", and the first of each kind is followed by a
  "hint" line. Then one "summary" line:
    summary frames=N datagrams=N messages=N bundles=N invalid=N
  with --no-listen, what the plug-in sent while playing, counted by the
  host: every "Run" set, each step entered (with Smooth on every set sends)
    summary frames=N listen=no run_sets=N steps_entered=N smooth=off sent=N
  and with --plot, "plot FILE" once the picture is written.
Errors: one line on stderr (a list of the plug-ins found may follow) and a
non-zero exit.
)";
}

}  // namespace varnelohost
