#pragma once

#include <QList>
#include <vector>

#include "displays/ScreenList.hpp"

class QScreen;

namespace drawlume {

// The displays as Qt sees them, converted to frames whose origin is the
// bottom-left corner of the primary display with y upward. Read from a cache
// that refresh() renews when the screens change.
class QtScreenList final : public ScreenList {
public:
    QtScreenList() { refresh(); }

    std::span<const ScreenDescription> screens() const override { return screens_; }
    void refresh();

    // Qt's global top-left geometry of each screen, the primary first, as frames.
    struct QtGeometry {
        QString name;
        int x, y, width, height;
    };
    static std::vector<ScreenDescription> convert(const std::vector<QtGeometry>& screens);

private:
    std::vector<ScreenDescription> screens_;
};

}  // namespace drawlume
