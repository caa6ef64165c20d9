// e2e_wayland_client: a drawing program's view of the desktop. It covers every output
// with a fullscreen surface, learns each output's place in the desktop from xdg-output,
// and prints where the pen (tablet-unstable-v2) and the pointer land, in the desktop's
// global coordinates, one line per event on standard output:
//   output NAME X Y WIDTH HEIGHT     each output's logical rectangle
//   pen X Y                          a tablet tool frame that moved the tool
//   pointer X Y                      a pointer enter or motion
//
//   e2e_wayland_client --ready FILE
// --ready is created once every output's surface is configured and shown.
// Exit status: 0 when the compositor went away or SIGTERM came, 2 usage or no desktop.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "tablet-unstable-v2-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct Output {
    wl_output* output = nullptr;
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
    wl_surface* surface = nullptr;
    bool shown = false;
};

struct Client {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    zxdg_output_manager_v1* outputManager = nullptr;
    wl_seat* seat = nullptr;
    zwp_tablet_manager_v2* tablets = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    // Where the pen and the pointer are: the output under them, and whether the
    // tool moved in the frame under way.
    const Output* penOutput = nullptr;
    const Output* pointerOutput = nullptr;
    double penX = 0, penY = 0;
    bool penMoved = false;
};

Client client;
volatile std::sig_atomic_t stopping = 0;

const Output* outputOf(const wl_surface* surface) {
    for (const auto& output : client.outputs) {
        if (output->surface == surface) {
            return output.get();
        }
    }
    return nullptr;
}

void printGlobal(const char* what, const Output* output, wl_fixed_t x, wl_fixed_t y) {
    if (output != nullptr) {
        std::printf("%s %.2f %.2f\n", what, output->x + wl_fixed_to_double(x),
                    output->y + wl_fixed_to_double(y));
    }
}

void onGlobal(void* /*data*/, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t /*version*/) {
    const auto bind = [&](const wl_interface& kind, uint32_t version) {
        return wl_registry_bind(registry, name, &kind, version);
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        client.compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, 1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        client.shm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        client.shell = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        client.outputManager =
            static_cast<zxdg_output_manager_v1*>(bind(zxdg_output_manager_v1_interface, 2));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && client.seat == nullptr) {
        client.seat = static_cast<wl_seat*>(bind(wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwp_tablet_manager_v2_interface.name) == 0) {
        client.tablets =
            static_cast<zwp_tablet_manager_v2*>(bind(zwp_tablet_manager_v2_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->output = static_cast<wl_output*>(bind(wl_output_interface, 2));
        client.outputs.push_back(std::move(output));
    }
}

const wl_registry_listener kRegistry = {onGlobal, [](void*, wl_registry*, uint32_t) {}};

const xdg_wm_base_listener kShell = {
    [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }};

const zxdg_output_v1_listener kXdgOutput = {
    [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
        static_cast<Output*>(data)->x = x;
        static_cast<Output*>(data)->y = y;
    },
    [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
        static_cast<Output*>(data)->width = width;
        static_cast<Output*>(data)->height = height;
    },
    [](void*, zxdg_output_v1*) {},
    [](void* data, zxdg_output_v1*, const char* name) { static_cast<Output*>(data)->name = name; },
    [](void*, zxdg_output_v1*, const char*) {}};

// One opaque white frame of the output's size: the surface must cover the output
// for the pen and the pointer to land on it wherever they are.
wl_buffer* whiteBuffer(int width, int height) {
    const int stride = width * 4;
    const int size = stride * height;
    const int fd = memfd_create("e2e-wayland", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (ftruncate(fd, size) != 0) {
        close(fd);
        return nullptr;
    }
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels != MAP_FAILED) {
        std::memset(pixels, 0xff, size);
        munmap(pixels, size);
    }
    wl_shm_pool* pool = wl_shm_create_pool(client.shm, fd, size);
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

const xdg_surface_listener kXdgSurface = {[](void* data, xdg_surface* surface, uint32_t serial) {
    auto* output = static_cast<Output*>(data);
    xdg_surface_ack_configure(surface, serial);
    if (!output->shown) {
        wl_surface_attach(output->surface, whiteBuffer(output->width, output->height), 0, 0);
        wl_surface_commit(output->surface);
        output->shown = true;
    }
}};

// Shell version 1: configure and close only.
const xdg_toplevel_listener kToplevel = {[](void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {},
                                         [](void*, xdg_toplevel*) { stopping = 1; }, nullptr,
                                         nullptr};

// Pointer version 1: enter, leave, motion, button, axis; the later events never come.
const wl_pointer_listener kPointer = {
    [](void*, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        client.pointerOutput = outputOf(surface);
        printGlobal("pointer", client.pointerOutput, x, y);
    },
    [](void*, wl_pointer*, uint32_t, wl_surface*) { client.pointerOutput = nullptr; },
    [](void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        printGlobal("pointer", client.pointerOutput, x, y);
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr};

const wl_seat_listener kSeat = {
    [](void*, wl_seat* seat, uint32_t capabilities) {
        static wl_pointer* pointer = nullptr;
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && pointer == nullptr) {
            pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(pointer, &kPointer, nullptr);
        }
    },
    nullptr};

// A tool has nineteen events and this program reads three: one dispatcher by event
// name instead of a listener of nineteen entries.
int onToolEvent(const void*, void*, uint32_t, const wl_message* message, wl_argument* arguments) {
    const std::string_view event = message->name;
    if (event == "proximity_in") {
        client.penOutput = outputOf(reinterpret_cast<wl_surface*>(arguments[2].o));
    } else if (event == "proximity_out") {
        client.penOutput = nullptr;
    } else if (event == "motion") {
        client.penX = wl_fixed_to_double(arguments[0].f);
        client.penY = wl_fixed_to_double(arguments[1].f);
        client.penMoved = true;
    } else if (event == "frame" && client.penMoved) {
        if (client.penOutput != nullptr) {
            std::printf("pen %.2f %.2f\n", client.penOutput->x + client.penX,
                        client.penOutput->y + client.penY);
        }
        client.penMoved = false;
    }
    return 0;
}

const zwp_tablet_seat_v2_listener kTabletSeat = {
    [](void*, zwp_tablet_seat_v2*, zwp_tablet_v2*) {},
    [](void*, zwp_tablet_seat_v2*, zwp_tablet_tool_v2* tool) {
        wl_proxy_add_dispatcher(reinterpret_cast<wl_proxy*>(tool), onToolEvent, nullptr, nullptr);
    },
    [](void*, zwp_tablet_seat_v2*, zwp_tablet_pad_v2*) {}};

int usage() {
    std::fprintf(stderr, "usage: e2e_wayland_client --ready FILE\n");
    return 2;
}

}  // namespace

// The globals, the outputs' layout, one surface per output, then events until the end.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--ready") != 0) {
        return usage();
    }
    const std::string ready = argv[2];
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "e2e_wayland_client: no Wayland display\n");
        return 2;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, nullptr);
    wl_display_roundtrip(display);
    if (client.compositor == nullptr || client.shm == nullptr || client.shell == nullptr ||
        client.outputManager == nullptr || client.seat == nullptr || client.tablets == nullptr) {
        std::fprintf(stderr, "e2e_wayland_client: the desktop lacks a global this client needs\n");
        return 2;
    }
    xdg_wm_base_add_listener(client.shell, &kShell, nullptr);
    wl_seat_add_listener(client.seat, &kSeat, nullptr);
    zwp_tablet_seat_v2_add_listener(
        zwp_tablet_manager_v2_get_tablet_seat(client.tablets, client.seat), &kTabletSeat, nullptr);
    for (const auto& output : client.outputs) {
        zxdg_output_v1_add_listener(
            zxdg_output_manager_v1_get_xdg_output(client.outputManager, output->output),
            &kXdgOutput, output.get());
    }
    wl_display_roundtrip(display);
    for (const auto& output : client.outputs) {
        std::printf("output %s %d %d %d %d\n", output->name.c_str(), output->x, output->y,
                    output->width, output->height);
        output->surface = wl_compositor_create_surface(client.compositor);
        xdg_surface* surface = xdg_wm_base_get_xdg_surface(client.shell, output->surface);
        xdg_surface_add_listener(surface, &kXdgSurface, output.get());
        xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
        xdg_toplevel_add_listener(toplevel, &kToplevel, nullptr);
        xdg_toplevel_set_fullscreen(toplevel, output->output);
        wl_surface_commit(output->surface);
    }
    bool announced = false;
    pollfd wait = {wl_display_get_fd(display), POLLIN, 0};
    while (stopping == 0) {
        wl_display_flush(display);
        if (poll(&wait, 1, 100) > 0 && wl_display_dispatch(display) < 0) {
            break;
        }
        wl_display_dispatch_pending(display);
        bool allShown = !client.outputs.empty();
        for (const auto& output : client.outputs) {
            allShown = allShown && output->shown;
        }
        if (allShown && !announced) {
            // Shown once the compositor has the frames, not merely asked for.
            wl_display_roundtrip(display);
            close(open(ready.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            announced = true;
        }
    }
    wl_display_disconnect(display);
    return 0;
}
