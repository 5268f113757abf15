#include "support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace vesk::testing {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(10);
constexpr char kLinePrefix[] = "vesk-sim: COM";

// Reads up to the first newline, waiting at most until `deadline`; empty when
// the pipe closes or the time runs out first.
std::optional<std::string> ReadFirstLine(int fd, std::chrono::steady_clock::time_point deadline) {
    std::string line;
    while (line.size() < 4096) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        line.push_back(c);
    }
    return std::nullopt;
}

}  // namespace

ScopedRuntimeDir::ScopedRuntimeDir() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
        previous = old;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "vesk-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("ScopedRuntimeDir: mkdtemp");
        std::abort();
    }
    path = pattern;
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

ScopedRuntimeDir::~ScopedRuntimeDir() {
    if (previous) {
        setenv("XDG_RUNTIME_DIR", previous->c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string SimExecutablePath() {
    if (const char* path = std::getenv("VESK_SIM"); path != nullptr && path[0] != '\0') {
        return path;
    }
    return VESK_SIM_EXECUTABLE;
}

bool ParseSimFirstLine(const std::string& line, unsigned& comNumber, std::string& devicePath) {
    const std::string prefix = kLinePrefix;
    if (line.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    std::size_t pos = prefix.size();
    unsigned number = 0;
    std::size_t digits = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && digits < 4) {
        number = number * 10 + static_cast<unsigned>(line[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || number == 0 || number > 255 || pos >= line.size() || line[pos] != ' ') {
        return false;
    }
    std::string path = line.substr(pos + 1);
    if (path.empty() || path[0] != '/') {
        return false;
    }
    comNumber = number;
    devicePath = path;
    return true;
}

std::unique_ptr<SimProcess> SimProcess::Start(const std::vector<std::string>& args) {
    const std::string executable = SimExecutablePath();
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        std::perror("SimProcess: pipe2");
        return nullptr;
    }
    std::vector<std::string> argStrings{executable};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    pid_t child = -1;
    const int error =
        posix_spawn(&child, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (error != 0) {
        close(out[0]);
        std::fprintf(stderr, "SimProcess: cannot start %s: %s\n", executable.c_str(),
                     std::strerror(error));
        return nullptr;
    }

    std::unique_ptr<SimProcess> process(new SimProcess);
    process->pid = child;
    const auto line = ReadFirstLine(out[0], std::chrono::steady_clock::now() + kStartTimeout);
    // The simulator writes nothing more on stdout; a later write finds the pipe closed.
    close(out[0]);
    if (!line || !ParseSimFirstLine(*line, process->comNumber, process->devicePath)) {
        std::fprintf(stderr, "SimProcess: %s did not announce its port (first line: \"%s\")\n",
                     executable.c_str(), line ? line->c_str() : "");
        process->Kill(SIGKILL);
        process->Stop();
        return nullptr;
    }
    return process;
}

SimProcess::~SimProcess() {
    Stop();
}

void SimProcess::Kill(int signal) {
    if (!exitedCleanly && pid > 0) {
        kill(pid, signal);
    }
}

bool SimProcess::Stop() {
    if (exitedCleanly) {
        return *exitedCleanly;
    }
    if (pid <= 0) {
        return false;
    }
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            exitedCleanly = false;
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "SimProcess: vesk-sim %d ignored SIGTERM; killing it\n",
                         static_cast<int>(pid));
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            exitedCleanly = false;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return *exitedCleanly;
}

}  // namespace vesk::testing
