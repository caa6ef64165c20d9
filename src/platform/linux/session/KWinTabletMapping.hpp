#pragma once

#include <optional>
#include <string>

namespace drawlume {

// Tells KWin, over the user's session bus, which output a tablet device
// belongs to. KWin maps a tablet without a setting of its own onto the
// output holding the focused window; Plasma 5.27 offers only the output
// name, Plasma 6 also a switch to the whole workspace, which would win over
// the name. So the name is set (and the switch turned off where it exists):
// the one route both keep, at the price that the tablet then spans that
// output alone. Main thread; each call blocks for at most about a second.
class KWinTabletMapping {
public:
    enum class Outcome {
        absent,   // no KWin handling input on this bus: nothing to do
        mapped,   // KWin reads back the output asked for
        refused,  // KWin is there but would not take it
    };
    struct Answer {
        Outcome outcome = Outcome::absent;
        std::string outputName;              // what KWin read back
        std::optional<bool> mapToWorkspace;  // read back, where KWin has it
        std::string error;                   // the bus's complaint, if any
    };

    // `tabletName` is the device's name, as the settings list it for a user
    // who maps it by hand. An empty address is the user's session bus.
    explicit KWinTabletMapping(std::string tabletName, std::string busAddress = {});

    // `eventNode` is the device's node, such as /dev/input/event7. Logs what
    // KWin answered.
    Answer mapToOutput(const std::string& eventNode, const std::string& outputName) const;

private:
    std::string tabletName_;
    std::string busAddress_;
};

}  // namespace drawlume
