// e2e_user_mouse: the user's own mouse beside the companion, a relative uinput mouse
// that moves the desktop's pointer when told to.
//
//   e2e_user_mouse --ready FILE --go FILE --moved FILE DX DY STEPS
// Creates the mouse and then READY; once GO exists, moves STEPS times by DX,DY, a
// frame every 10 ms as a real mouse reports, creates MOVED and exits, which removes
// the mouse. Exit status: 0 moved, 1 no uinput device or GO never came, 2 usage.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include "Deadline.hpp"
#include "UinputDevice.hpp"

using namespace drawlume::e2e;

namespace {

void touch(const std::string& path) {
    close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 10 || std::strcmp(argv[1], "--ready") != 0 || std::strcmp(argv[3], "--go") != 0 ||
        std::strcmp(argv[5], "--moved") != 0) {
        std::fprintf(stderr,
                     "usage: e2e_user_mouse --ready FILE --go FILE --moved FILE DX DY STEPS\n");
        return 2;
    }
    const int dx = std::atoi(argv[7]);
    const int dy = std::atoi(argv[8]);
    const int steps = std::atoi(argv[9]);
    UinputLayout layout;
    layout.name = "E2E User Mouse";
    layout.product = 0x0e30;
    layout.keys = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE};
    layout.relatives = {REL_X, REL_Y};
    UinputDevice mouse;
    std::string error;
    if (!mouse.create(layout, error)) {
        std::fprintf(stderr, "e2e_user_mouse: %s\n", error.c_str());
        return 1;
    }
    touch(argv[2]);
    const Deadline deadline = Deadline::afterMs(30000);
    while (access(argv[4], F_OK) != 0) {
        if (deadline.expired()) {
            std::fprintf(stderr, "e2e_user_mouse: %s never came\n", argv[4]);
            return 1;
        }
        usleep(20000);
    }
    Frame motion;
    motion.events = {{EV_REL, REL_X, dx, {}}, {EV_REL, REL_Y, dy, {}}};
    for (int step = 0; step < steps; ++step) {
        if (!mouse.emit(motion, error)) {
            std::fprintf(stderr, "e2e_user_mouse: %s\n", error.c_str());
            return 1;
        }
        usleep(10000);
    }
    // The compositor reads the last frame before the mouse goes away.
    usleep(200000);
    touch(argv[6]);
    return 0;
}
