#include "sim/module_speed.h"

namespace vesk::sim {

int BaudForCode(std::uint8_t baudCode) {
    constexpr int kTable[] = {115200, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return baudCode <= kLastBaudCode ? kTable[baudCode] : 115200;
}

int BitsPerCharacter(std::uint8_t parity) {
    return parity == 0 ? 10 : 11;
}

}  // namespace vesk::sim
