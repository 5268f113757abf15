// A pseudo-terminal as the module's line. The master is the module's end; the
// slave is the device the PC opens. The simulator keeps a handle of its own on
// the slave, so the PC closing and reopening the port never hangs up the master.
#pragma once

#include <memory>
#include <string>

#include "sim/module_line.h"

namespace vesk::sim {

class PtyLine : public ModuleLine {
  public:
    // Opens a pseudo-terminal with the slave in raw mode at `initialBaud`, so a
    // PC program that does not configure the port still meets the module's
    // speed. Null with the reason in `error` on failure.
    static std::unique_ptr<PtyLine> Create(int initialBaud, std::string& error);
    ~PtyLine() override;

    const std::string& SlavePath() const { return slavePath; }

    int Fd() const override { return master; }
    // The master's termios shows the settings the slave was given; 0 when
    // it shows a speed outside the known rates.
    std::optional<int> PeerBaud() const override;
    bool SetLineFormat(int, std::uint8_t) override { return true; }

  private:
    PtyLine(int masterFd, int slaveFd, std::string path)
        : master(masterFd), slave(slaveFd), slavePath(std::move(path)) {}

    int master;
    int slave;
    std::string slavePath;
};

// The baud rate a termios speed constant stands for, or empty.
std::optional<int> BaudFromSpeed(unsigned speed);

}  // namespace vesk::sim
