/* least_relay: runs inside the test VM as the latency run's floor for any relay of
 * this kind. It grabs the companion's Stylus twin, reads the hidraw node blocking,
 * and writes each pen report as one frame to a uinput pen of its own: two system
 * calls a report, no translation beyond picking the fields out.
 *
 *   least_relay HIDRAW TWIN NAME
 *
 * NAME is the uinput device's name. Runs until the hidraw node goes away or a
 * signal ends it. */

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

enum { kPenID = 3, kPenLength = 12, kExtent = 32767, kPressure = 65535 };

static int fail(const char* what) {
    perror(what);
    return 1;
}

static int enableAxis(int fd, int code, int maximum) {
    struct uinput_abs_setup axis;
    memset(&axis, 0, sizeof axis);
    axis.code = (uint16_t)code;
    axis.absinfo.maximum = maximum;
    return ioctl(fd, UI_SET_ABSBIT, code) < 0 || ioctl(fd, UI_ABS_SETUP, &axis) < 0 ? -1 : 0;
}

static int createPen(const char* name) {
    const int fd = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct uinput_setup setup;
    memset(&setup, 0, sizeof setup);
    setup.id.bustype = BUS_VIRTUAL;
    snprintf(setup.name, sizeof setup.name, "%s", name);
    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) < 0 ||
        ioctl(fd, UI_SET_KEYBIT, BTN_TOOL_PEN) < 0 || ioctl(fd, UI_SET_KEYBIT, BTN_TOUCH) < 0 ||
        ioctl(fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) < 0 || enableAxis(fd, ABS_X, kExtent) < 0 ||
        enableAxis(fd, ABS_Y, kExtent) < 0 || enableAxis(fd, ABS_PRESSURE, kPressure) < 0 ||
        ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

static void setEvent(struct input_event* event, int type, int code, int value) {
    event->type = (uint16_t)type;
    event->code = (uint16_t)code;
    event->value = value;
}

static int word(const uint8_t* report, int at) {
    return report[at] | (report[at + 1] << 8);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: least_relay HIDRAW TWIN NAME\n");
        return 2;
    }
    const int hid = open(argv[1], O_RDONLY | O_CLOEXEC);
    if (hid < 0) {
        return fail(argv[1]);
    }
    const int twin = open(argv[2], O_RDONLY | O_CLOEXEC);
    if (twin < 0 || ioctl(twin, EVIOCGRAB, 1) < 0) {
        return fail(argv[2]);
    }
    const int pen = createPen(argv[3]);
    if (pen < 0) {
        return fail("/dev/uinput");
    }
    uint8_t report[64];
    struct input_event frame[5];
    memset(frame, 0, sizeof frame);
    for (;;) {
        const ssize_t length = read(hid, report, sizeof report);
        if (length <= 0) {
            break;
        }
        if (length < kPenLength || report[0] != kPenID) {
            continue;
        }
        setEvent(&frame[0], EV_KEY, BTN_TOOL_PEN, (report[1] & 0x10) != 0);
        setEvent(&frame[1], EV_ABS, ABS_X, word(report, 2));
        setEvent(&frame[2], EV_ABS, ABS_Y, word(report, 4));
        setEvent(&frame[3], EV_ABS, ABS_PRESSURE, word(report, 6));
        setEvent(&frame[4], EV_SYN, SYN_REPORT, 0);
        if (write(pen, frame, sizeof frame) != (ssize_t)sizeof frame) {
            return fail("write");
        }
    }
    return 0;
}
