// e2e user-mouse --ready FILE --go FILE --moved FILE DX DY STEPS
// The user's own mouse beside the companion: a relative uinput mouse that, once
// told to go, moves DX DY STEPS times and says when the desktop has it all.

#include <array>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "System.hpp"
#include "Tool.hpp"

namespace drawlume::e2e {

int userMouseCommand(int argc, char** argv) {
    const Options options(argc, argv, {"ready", "go", "moved"});
    if (!options.valid() || options.words().size() != 3) {
        std::fprintf(stderr,
                     "usage: e2e user-mouse --ready FILE --go FILE --moved FILE DX DY STEPS\n");
        return 2;
    }
    const auto touch = [](const std::string& path) {
        close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    };
    const int fd = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    uinput_setup setup{};
    setup.id = {BUS_VIRTUAL, 0x1d6b, 0x0e2f, 0};
    std::strncpy(setup.name, "E2E User Mouse", UINPUT_MAX_NAME_SIZE - 1);
    bool ok =
        fd >= 0 && ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_REL) == 0;
    for (const int key : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}) {
        ok = ok && ioctl(fd, UI_SET_KEYBIT, key) == 0;
    }
    ok = ok && ioctl(fd, UI_SET_RELBIT, REL_X) == 0 && ioctl(fd, UI_SET_RELBIT, REL_Y) == 0 &&
         ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        std::fprintf(stderr, "e2e user-mouse: %s\n", sysError("uinput set-up").c_str());
        return 1;
    }
    touch(options.text("ready"));
    const std::string go = options.text("go");
    if (!pollUntil(Deadline::afterMs(30000), [&go] { return access(go.c_str(), F_OK) == 0; })) {
        std::fprintf(stderr, "e2e user-mouse: %s never came\n", go.c_str());
        return 1;
    }
    const std::array<input_event, 3> motion{{{{}, EV_REL, REL_X, std::stoi(options.words()[0])},
                                             {{}, EV_REL, REL_Y, std::stoi(options.words()[1])},
                                             {{}, EV_SYN, SYN_REPORT, 0}}};
    for (int step = std::stoi(options.words()[2]); step > 0; --step) {
        if (write(fd, motion.data(), sizeof motion) != static_cast<ssize_t>(sizeof motion)) {
            std::fprintf(stderr, "e2e user-mouse: %s\n", sysError("write /dev/uinput").c_str());
            return 1;
        }
        sleepMs(10);
    }
    // The compositor reads the last frame before the mouse goes away.
    sleepMs(200);
    touch(options.text("moved"));
    ioctl(fd, UI_DEV_DESTROY);
    close(fd);
    return 0;
}

}  // namespace drawlume::e2e
