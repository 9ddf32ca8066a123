#include "Options.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "Text.h"

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
            *error = "--run takes positions from 0 to 1, not " + Quote(item);
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
        if (options.listenPort && !options.listen) {
            *error = "--listen and --no-listen contradict each other; give one";
            return std::nullopt;
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
        if (word == "--listen") return ListenPort(error);
        if (word == "--duration") {
            double seconds = 0.0;
            if (!Positive(word, &seconds, 1e7, error)) return false;
            options.durationSeconds = seconds;
            return true;
        }
        if (word.size() > 1 && word[0] == '-') {
            *error = "unknown option " + Quote(word) + " (see --help)";
            return false;
        }
        if (!options.plugin.empty()) {
            *error = "one plug-in at a time: " + Quote(options.plugin) + " and " + Quote(word);
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
        else if (word == "--list")
            options.list = true;
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
                     std::to_string(static_cast<long>(most)) + ", not " + Quote(text);
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
            *error = "--set takes NAME=VALUE, not " + Quote(assignment);
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

    // --listen PORT: a whole number from 1 to 65535.
    bool ListenPort(std::string* error) {
        const char* text = Value("--listen", error);
        if (text == nullptr) return false;
        const std::optional<double> value = ParseNumber(text);
        if (!value || *value < 1.0 || *value > 65535.0 || *value != std::floor(*value)) {
            *error = std::string("--listen takes a port from 1 to 65535, not ") + Quote(text);
            return false;
        }
        options.listenPort = static_cast<std::uint16_t>(*value);
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
       varnelo-host --list

Loads a FreeFrame GL 1.x plug-in as a VJ host does, shows what the host's
plug-in browser shows, and plays its "Run" parameter from 0 to 1 like a
clip position, while it listens where the plug-in sends and prints every
OSC message or bundle that arrives.

PLUGIN is a path to the library, or a plug-in from the plug-in folder next
to this program by its file name (Varnelo4, Varnelo8, Varnelo16 or
Varnelo32) or by the name a host shows ("Varnelo 8"); the default is
Varnelo4. A name it cannot find gets the list of plug-ins found and the
nearest name. Without --set "OSC command=...", a plug-in with that
parameter gets "/fader f[0:255]".

Where it listens: on 127.0.0.1 only, at the port of the command's
destination URL (osc.udp://127.0.0.1:9000/fader f[0:255]); without one, at
the port the plug-ins of this build send to (127.0.0.1:7000 unless the
build names another), or the port --listen gives. A command that sends to
another machine is not listened for: the host says so and counts what was
due.

Before playing, the host tells how the plug-in reads the OSC command (its
address, int32 or float32, the range of values sent, and where it sends)
and warns, with a hint, of what is likely a mistake: an empty command, a
destination URL the plug-in refuses (it then sends nothing), an address
without a leading "/" or with a tab where the blank belongs, a type letter
other than f and i, a range the plug-in drops, one without its "]" or
with text after it, a min or max that is not a number, not finite, or
beyond int32 for int32 values, a command longer than the 2047 characters
the plug-in keeps. It explains; the plug-in still sends what it sends.

  --list              list the plug-ins found next to this program, then stop
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
  --listen PORT       listen on 127.0.0.1:PORT, for a plug-in built to send
                      there (a command with a destination URL needs none)
  --no-listen         leave the port to another receiver (oscdump 7000);
                      the summary counts what the plug-in was due to send
  --plot FILE.svg     write a picture of the run at the end: the steps as
                      bars along "Run", each datagram received as a point
                      over the step it was sent for at the value sent, and
                      "Run" over the time of play
  --plain | --live    one line per datagram, or the live view (default:
                      the live view on a terminal)
  -h, --help          this text

Plain output:
  "param" and "set" lines; then how the plug-in reads its command:
    command default "/fader f[0:255]" (no --set "OSC command=..." given)
    command address "/fader" float32 range 0 255
    command address "/x" float32 range 0 1 (no range: 0..1 applies)
    command destination built-in | osc.udp://HOST:PORT | refused
    warning WHAT: ...; HINT
  "note WHY" when the host does not listen where the plug-in sends;
  "play frames=N fps=F seconds=S listen=127.0.0.1:PORT|no draw=yes|no";
  "recv ADDRESS ,TAGS VALUE..." per datagram (a bundle reads "recv bundle
  TIMETAG ADDRESS ,TAGS VALUE..."); one that is not OSC 1.0 reads "recv
  invalid N bytes: REASON", and the first of each kind is followed by a
  "hint" line. Then one "summary" line:
    summary frames=N listen=127.0.0.1:PORT received=N messages=N bundles=N
            invalid=N due=N
  received: the datagrams that arrived where the host listened; due: the
  values the plug-in was due to send by its step rule (each step "Run"
  entered, every set with Smooth on, each step edit with Step follow on),
  whether or not they went out. Not listening, it reads
    summary frames=N listen=no due=N
  When nothing arrived where the host listened, a "hint" line says so and
  where the datagrams more likely went. With --plot, "plot FILE" once the
  picture is written; with --frames, "drawn=N unchanged=N" in the summary.
Errors: one line on stderr (a list of the plug-ins found may follow) and a
non-zero exit.
)";
}

}  // namespace varnelohost
