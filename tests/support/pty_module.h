// A pseudo-terminal whose slave is linked into the virtual-port directory as
// COM<n>; the test plays the module on the master, so it can send any bytes
// and pull the plug by closing the master.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vesk::testing {

class PtyModule {
  public:
    explicit PtyModule(unsigned comNumber);
    ~PtyModule();  // Unplug() and remove the link
    PtyModule(const PtyModule&) = delete;
    PtyModule& operator=(const PtyModule&) = delete;

    bool IsReady() const { return master >= 0 && linked; }
    unsigned ComNumber() const { return port; }

    // Writes every byte, waiting for room as long as the reader drains; false
    // when the line is gone or nothing moves for 10 s.
    bool Write(const std::uint8_t* bytes, std::size_t count);
    bool Write(const std::vector<std::uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
    // Reads exactly `count` bytes within 5 s; fewer when they do not come.
    std::vector<std::uint8_t> Read(std::size_t count);

    // The line settings as the master sees them: those the slave set.
    termios Settings() const;

    void Unplug();
    // Removes the COM link (the device node of a pulled adapter goes too).
    void RemoveLink();

  private:
    unsigned port;
    int master = -1;
    bool linked = false;
};

}  // namespace vesk::testing
