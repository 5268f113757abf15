// Starting vesk-sim from tests and benchmarks. ScopedRuntimeDir gives the
// process a virtual-port directory of its own, so a test never sees the user's
// ports; SimProcess runs vesk-sim as a child that inherits XDG_RUNTIME_DIR and
// reads which COM number it took from its first line.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk::testing {

// A fresh temporary directory set as XDG_RUNTIME_DIR for this process; the old
// value is restored and the directory removed on destruction. Create it before
// any thread that reads the environment starts.
class ScopedRuntimeDir {
  public:
    ScopedRuntimeDir();
    ~ScopedRuntimeDir();
    ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
    ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;

    const std::string& Path() const { return path; }

  private:
    std::string path;
    std::optional<std::string> previous;
};

// vesk-sim started as a child process with the given extra arguments and the
// current environment. Start waits (at most 10 s) for its first line and parses
// it; null, with the reason on stderr, when the program fails to start or says
// something else. Its stderr is the test's stderr, so --log shows in the output.
class SimProcess {
  public:
    static std::unique_ptr<SimProcess> Start(const std::vector<std::string>& args);
    ~SimProcess();  // Stop()
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    unsigned ComNumber() const { return comNumber; }
    const std::string& DevicePath() const { return devicePath; }
    pid_t Pid() const { return pid; }

    // Sends `signal` (e.g. SIGKILL to unplug the module the hard way); Stop
    // still reaps the process afterwards.
    void Kill(int signal);
    // Sends SIGTERM unless the process has already ended, waits for it (after
    // 10 s it is killed) and reaps it. True when it exited with status 0, which
    // vesk-sim does after removing its link. Later calls return the same result.
    bool Stop();

  private:
    SimProcess() = default;

    pid_t pid = -1;
    unsigned comNumber = 0;
    std::string devicePath;
    std::optional<bool> exitedCleanly;
};

// The built vesk-sim, or $VESK_SIM when that is set.
std::string SimExecutablePath();

// Parses "vesk-sim: COM<n> <device path>"; false for anything else.
bool ParseSimFirstLine(const std::string& line, unsigned& comNumber, std::string& devicePath);

}  // namespace vesk::testing
