#include "tools/devicescommand.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "midiout/midigateway.h"

int runDevicesCommand(std::ostream& out)
{
    const MidiGateway gateway;
    const std::vector<std::string> lines = gateway.DeviceLines();
    // Line k of the window stands for device k - 1.
    for (std::size_t k = 0; k < lines.size(); ++k) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d  ", int(k) - 1);
        out << number << lines[k] << '\n';
    }
    return 0;
}
