// drawlume-companion-check SYSFS-PATH: udev runs it (IMPORT{program}) for
// the hidraw and event nodes of Bluetooth HID devices, so that the user at
// the seat is given the companion's nodes and no other device's. It prints
// DRAWLUME_COMPANION=1 for a companion's node and DRAWLUME_COMPANION=0 for
// anything else, a wrong call included, and always exits 0: a rule that
// imports it must never fail, nor wait on it.

#include <cstdio>

#include "platform/linux/hidraw/CompanionNodeCheck.hpp"

int main(int argc, char** argv) {
    const bool companion = argc == 2 && drawlume::isCompanionNode(argv[1]);
    std::printf("DRAWLUME_COMPANION=%d\n", companion ? 1 : 0);
    return 0;
}
