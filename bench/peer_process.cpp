#include "peer_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace vesk::bench {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, int limitSeconds) {
    ChildResult result;
    std::vector<std::string> argv = args;
    std::vector<std::string> envp = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        envp.emplace_back(*entry);  // ours after the additions, so the additions win
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t pid = -1;
    std::vector<char*> argvPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(envp);
    const int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                    envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), std::strerror(spawned));
        close(pipeFds[0]);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    std::string pending;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{pipeFds[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&entry, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            std::fprintf(stderr, "%s took longer than %d s\n", argv[0].c_str(), limitSeconds);
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);

    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakRssKiB = usage.ru_maxrss;
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
        result.lines.push_back(pending.substr(start, end - start));
    }
    if (start < pending.size()) {
        result.lines.push_back(pending.substr(start));
    }
    return result;
}

std::vector<std::string> RunPeer(const std::vector<std::string>& args) {
    ChildResult result = RunChild(args);
    if (!result.exitedCleanly) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        return {};
    }
    return result.lines;
}

}  // namespace vesk::bench
