#pragma once

namespace drawlume {

// Something that holds input on the user's behalf (a tool in proximity, a pen
// touching, buttons, keys) and can let go of all of it. The device side calls
// it whenever the companion is closed, for whatever reason, so that nothing
// stays pressed on the desktop while no reports can arrive to release it.
class HeldInputReleaser {
public:
    virtual ~HeldInputReleaser() = default;

    // Releases everything held, in well-formed steps; holding nothing is fine.
    virtual void releaseAllHeldInput() = 0;
};

}  // namespace drawlume
