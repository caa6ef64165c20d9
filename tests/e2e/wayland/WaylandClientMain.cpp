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
    wl_pointer* pointer = nullptr;
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

// The output a surface of this client covers: the surface's user data.
const Output* outputOf(void* surface) {
    return surface == nullptr ? nullptr
                              : static_cast<const Output*>(
                                    wl_proxy_get_user_data(static_cast<wl_proxy*>(surface)));
}

void printGlobal(const char* what, const Output* output, double x, double y) {
    if (output != nullptr) {
        std::printf("%s %.2f %.2f\n", what, output->x + x, output->y + y);
    }
}

int onEvent(const void*, void* target, uint32_t, const wl_message* message, wl_argument* arguments);

// Events of `proxy` go to onEvent, with `data` as its user data.
template <typename Proxy>
Proxy* watch(Proxy* proxy, void* data = nullptr) {
    wl_proxy_add_dispatcher(reinterpret_cast<wl_proxy*>(proxy), onEvent, nullptr, data);
    return proxy;
}

void onGlobal(wl_registry* registry, uint32_t name, std::string_view interface) {
    const auto bind = [&](const wl_interface& kind, uint32_t version) {
        return interface == kind.name ? wl_registry_bind(registry, name, &kind, version) : nullptr;
    };
    if (void* bound = bind(wl_compositor_interface, 1)) {
        client.compositor = static_cast<wl_compositor*>(bound);
    } else if (void* bound = bind(wl_shm_interface, 1)) {
        client.shm = static_cast<wl_shm*>(bound);
    } else if (void* bound = bind(xdg_wm_base_interface, 1)) {
        client.shell = watch(static_cast<xdg_wm_base*>(bound));
    } else if (void* bound = bind(zxdg_output_manager_v1_interface, 2)) {
        client.outputManager = static_cast<zxdg_output_manager_v1*>(bound);
    } else if (client.seat == nullptr && interface == wl_seat_interface.name) {
        client.seat = watch(static_cast<wl_seat*>(bind(wl_seat_interface, 1)));
    } else if (void* bound = bind(zwp_tablet_manager_v2_interface, 1)) {
        client.tablets = static_cast<zwp_tablet_manager_v2*>(bound);
    } else if (void* bound = bind(wl_output_interface, 2)) {
        client.outputs.push_back(std::make_unique<Output>());
        client.outputs.back()->output = static_cast<wl_output*>(bound);
    }
}

// One opaque white frame of the output's size: the surface must cover the output
// for the pen and the pointer to land on it wherever they are.
wl_buffer* whiteBuffer(int width, int height) {
    const int stride = width * 4;
    const int size = stride * height;
    const int fd = memfd_create("e2e-wayland", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) {
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

// Every object's events come here, by interface and event name: the client reads a
// few events of many interfaces, where listeners would list every event of each.
// One case for each event the client reads.
// NOLINTNEXTLINE(readability-function-size)
int onEvent(const void*, void* target, uint32_t, const wl_message* message,
            wl_argument* arguments) {
    auto* proxy = static_cast<wl_proxy*>(target);
    auto* output = static_cast<Output*>(wl_proxy_get_user_data(proxy));
    const std::string_view object = wl_proxy_get_class(proxy);
    const std::string_view event = message->name;
    const auto fixed = [arguments](int index) { return wl_fixed_to_double(arguments[index].f); };
    if (event == "global") {
        onGlobal(reinterpret_cast<wl_registry*>(proxy), arguments[0].u, arguments[1].s);
    } else if (event == "ping") {
        xdg_wm_base_pong(client.shell, arguments[0].u);
    } else if (event == "logical_position") {
        output->x = arguments[0].i;
        output->y = arguments[1].i;
    } else if (event == "logical_size") {
        output->width = arguments[0].i;
        output->height = arguments[1].i;
    } else if (object == "zxdg_output_v1" && event == "name") {
        output->name = arguments[0].s;
    } else if (object == "xdg_surface" && event == "configure") {
        xdg_surface_ack_configure(reinterpret_cast<xdg_surface*>(proxy), arguments[0].u);
        if (!output->shown) {
            wl_surface_attach(output->surface, whiteBuffer(output->width, output->height), 0, 0);
            wl_surface_commit(output->surface);
            output->shown = true;
        }
    } else if (object == "xdg_toplevel" && event == "close") {
        stopping = 1;
    } else if (event == "capabilities" && (arguments[0].u & WL_SEAT_CAPABILITY_POINTER) != 0 &&
               client.pointer == nullptr) {
        client.pointer = watch(wl_seat_get_pointer(client.seat));
    } else if (object == "wl_pointer" && event == "enter") {
        client.pointerOutput = outputOf(arguments[1].o);
        printGlobal("pointer", client.pointerOutput, fixed(2), fixed(3));
    } else if (object == "wl_pointer" && event == "leave") {
        client.pointerOutput = nullptr;
    } else if (object == "wl_pointer" && event == "motion") {
        printGlobal("pointer", client.pointerOutput, fixed(1), fixed(2));
    } else if (event == "tool_added") {
        watch(arguments[0].o);
    } else if (event == "proximity_in") {
        client.penOutput = outputOf(arguments[2].o);
    } else if (event == "proximity_out") {
        client.penOutput = nullptr;
    } else if (object == "zwp_tablet_tool_v2" && event == "motion") {
        client.penX = fixed(0);
        client.penY = fixed(1);
        client.penMoved = true;
    } else if (object == "zwp_tablet_tool_v2" && event == "frame" && client.penMoved) {
        printGlobal("pen", client.penOutput, client.penX, client.penY);
        client.penMoved = false;
    }
    return 0;
}

}  // namespace

// The globals, the outputs' layout, one surface per output, then events until the end.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--ready") != 0) {
        std::fprintf(stderr, "usage: e2e_wayland_client --ready FILE\n");
        return 2;
    }
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "e2e_wayland_client: no Wayland display\n");
        return 2;
    }
    watch(wl_display_get_registry(display));
    wl_display_roundtrip(display);
    if (client.compositor == nullptr || client.shm == nullptr || client.shell == nullptr ||
        client.outputManager == nullptr || client.seat == nullptr || client.tablets == nullptr) {
        std::fprintf(stderr, "e2e_wayland_client: the desktop lacks a global this client needs\n");
        return 2;
    }
    watch(zwp_tablet_manager_v2_get_tablet_seat(client.tablets, client.seat));
    for (const auto& output : client.outputs) {
        watch(zxdg_output_manager_v1_get_xdg_output(client.outputManager, output->output),
              output.get());
    }
    wl_display_roundtrip(display);
    for (const auto& output : client.outputs) {
        std::printf("output %s %d %d %d %d\n", output->name.c_str(), output->x, output->y,
                    output->width, output->height);
        output->surface = wl_compositor_create_surface(client.compositor);
        wl_surface_set_user_data(output->surface, output.get());
        xdg_surface* surface =
            watch(xdg_wm_base_get_xdg_surface(client.shell, output->surface), output.get());
        xdg_toplevel* toplevel = watch(xdg_surface_get_toplevel(surface));
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
            close(open(argv[2], O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            announced = true;
        }
    }
    wl_display_disconnect(display);
    return 0;
}
