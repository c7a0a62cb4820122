// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program on the X display of $DISPLAY and reports, once its first window has
// been painted, one line: "<pid> <window> <ms to map> <ms to first paint> <start>", the
// times counted from just before the program is started, <start> being that moment on the
// monotonic clock in seconds (Python's time.monotonic(), so that a caller can time later
// events, a sound say, from the launch). The first paint is the first drawing
// into a mapped top-level window, as the X server's Damage extension reports it, so no
// screenshot and no help from the program is needed. Then waits for the program to end.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int fail(const char *message)
{
    std::fprintf(stderr, "first_paint: %s\n", message);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return fail("usage: first_paint PROGRAM [ARGUMENT...]");
    // Xvfb now and then refuses a connection while it tears down a previous client's.
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    for (int attempt = 0; xcb_connection_has_error(x) && attempt < 20; ++attempt) {
        xcb_disconnect(x);
        usleep(50 * 1000);
        x = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(x))
        return fail("cannot open the display");
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (!damage || !damage->present)
        return fail("the X server has no Damage extension");
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0)
        return fail("cannot fork");
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("first_paint: exec");
        _exit(127);
    }

    std::set<xcb_window_t> mapped;
    double mapMs = -1;
    double paintMs = -1;
    xcb_window_t painted = 0;
    pollfd watch{xcb_get_file_descriptor(x), POLLIN, 0};
    while (paintMs < 0) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            if (waitpid(child, nullptr, WNOHANG) == child)
                return fail("the program ended before it painted a window");
            if (msSince(start) > 60000)
                return fail("no window painted within 60 s");
            poll(&watch, 1, 100);
            continue;
        }
        const int type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (created->parent == root)
                xcb_damage_create(x, xcb_generate_id(x), created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(x);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (map->event == root) {
                mapped.insert(map->window);
                if (mapMs < 0)
                    mapMs = msSince(start);
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const auto *drawn = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            if (mapped.count(drawn->drawable)) {
                paintMs = msSince(start);
                painted = drawn->drawable;
            }
        }
        free(event);
    }
    const double startS = std::chrono::duration<double>(start.time_since_epoch()).count();
    std::printf("%d %u %.2f %.2f %.6f\n", int(child), unsigned(painted), mapMs, paintMs, startS);
    std::fflush(stdout);
    xcb_disconnect(x);
    int status = 0;
    waitpid(child, &status, 0);
    return 0;
}
