#include "HostProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "UdpReceiver.h"

extern char** environ;

namespace tests {

std::vector<std::string> HostRun::Lines() const {
    std::vector<std::string> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> HostRun::LinesAfter(const std::string& keyword) const {
    std::vector<std::string> found;
    for (const std::string& line : Lines()) {
        if (line.compare(0, keyword.size() + 1, keyword + " ") == 0)
            found.push_back(line.substr(keyword.size() + 1));
    }
    return found;
}

std::string HostRun::SummaryField(const std::string& key) const {
    const std::vector<std::string> summaries = LinesAfter("summary");
    if (summaries.size() != 1) return "<" + std::to_string(summaries.size()) + " summary lines>";
    const std::string& summary = summaries[0];
    const std::size_t at = (" " + summary).find(" " + key + "=");
    if (at == std::string::npos) return "<no " + key + ">";
    const std::size_t start = at + key.size() + 1;
    return summary.substr(start, summary.find(' ', start) - start);
}

int HostRun::LineIndex(const std::string& start) const {
    const std::vector<std::string> lines = Lines();
    for (std::size_t at = 0; at < lines.size(); ++at) {
        if (lines[at].rfind(start, 0) == 0) return static_cast<int>(at);
    }
    return -1;
}

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::uint16_t FreePort() {
    const UdpReceiver probe{0};
    if (!probe.Bound()) throw std::runtime_error("no free UDP port on 127.0.0.1");
    return probe.Port();
}

std::string UrlOf(std::uint16_t port) { return "osc.udp://127.0.0.1:" + std::to_string(port); }

namespace {

// Reads both pipes until both close, so that neither fills and blocks the host.
void ReadBoth(int outPipe, int errPipe, std::string* out, std::string* err) {
    pollfd pipes[2] = {{outPipe, POLLIN, 0}, {errPipe, POLLIN, 0}};
    std::string* targets[2] = {out, err};
    int open = 2;
    while (open > 0) {
        if (poll(pipes, 2, -1) < 0) break;
        for (int at = 0; at < 2; ++at) {
            if (pipes[at].fd < 0 || pipes[at].revents == 0) continue;
            char buffer[4096];
            const ssize_t size = read(pipes[at].fd, buffer, sizeof buffer);
            if (size > 0) {
                targets[at]->append(buffer, static_cast<std::size_t>(size));
            } else {
                close(pipes[at].fd);
                pipes[at].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

HostRun RunHost(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {VARNELO_HOST_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    HostRun run;
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        throw std::runtime_error("cannot start " + words[0]);
    }
    ReadBoth(outPipe[0], errPipe[0], &run.out, &run.err);
    int status = 0;
    waitpid(child, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace tests
