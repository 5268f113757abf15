// The COM<n> entry in the virtual-port directory that makes the simulated
// module a COM port: a symbolic link to its device, removed again on
// destruction (only while it still points there).
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vesk::sim {

class PortLink {
  public:
    // Links `target` as COM`requested`, or as the lowest free COM number: one
    // with no entry in the directory and no device behind the built-in table.
    // An existing entry is never replaced. Creates the directory (mode 0700)
    // when it is missing and refuses one that is not a directory of this user.
    // Null with the reason in `error` on failure.
    static std::unique_ptr<PortLink> Claim(const std::string& target,
                                           std::optional<unsigned> requested, std::string& error);
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    unsigned ComNumber() const { return comNumber; }
    const std::string& Path() const { return path; }

  private:
    PortLink(unsigned number, std::string linkPath, std::string linkTarget)
        : comNumber(number), path(std::move(linkPath)), target(std::move(linkTarget)) {}

    unsigned comNumber;
    std::string path;
    std::string target;
};

}  // namespace vesk::sim
