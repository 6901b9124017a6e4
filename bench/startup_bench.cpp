// Start-up, measured from outside the process: from starting it until its
// window is mapped (MapNotify) and until the whole window has been painted
// (Damage events covering every pixel), and its peak resident memory then.
// Programs are run in turn, interleaved, on the X server in DISPLAY, which
// should have no window manager.
//
//   startup_bench RUNS NAME=PROGRAM [NAME=PROGRAM ...]

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double mappedMs = 0;
    double paintedMs = 0;
    long peakKiB = 0;
};

long peakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long value = 0;
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// Pixels of a window painted so far.
class Coverage
{
public:
    Coverage(int width, int height)
        : width_(width), height_(height), painted_(std::size_t(width) * height)
    {
    }
    void add(int x, int y, int w, int h)
    {
        for (int row = std::max(0, y); row < std::min(height_, y + h); ++row)
            for (int col = std::max(0, x); col < std::min(width_, x + w); ++col)
                if (!painted_[std::size_t(row) * width_ + col]) {
                    painted_[std::size_t(row) * width_ + col] = true;
                    ++count_;
                }
    }
    bool complete() const { return count_ == painted_.size(); }

private:
    int width_, height_;
    std::vector<bool> painted_;
    std::size_t count_ = 0;
};

bool measure(xcb_connection_t *x, xcb_window_t root, uint8_t damageEvent, const char *program,
             Sample &sample)
{
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    char *argv[] = {const_cast<char *>(program), nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return false;

    std::map<xcb_window_t, std::pair<int, int>> created; // top-level windows and sizes
    xcb_window_t shown = XCB_NONE;
    std::unique_ptr<Coverage> coverage;
    bool done = false;
    while (!done) {
        xcb_generic_event_t *event = xcb_wait_for_event(x);
        if (!event)
            break;
        const auto ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            auto *e = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (e->parent == root) {
                created[e->window] = {e->width, e->height};
                const xcb_damage_damage_t damage = xcb_generate_id(x);
                xcb_damage_create(x, damage, e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(x);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            auto *e = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (shown == XCB_NONE && created.count(e->window) && !e->override_redirect) {
                shown = e->window;
                sample.mappedMs = ms;
                coverage = std::make_unique<Coverage>(created[shown].first, created[shown].second);
            }
        } else if (type == damageEvent + XCB_DAMAGE_NOTIFY) {
            auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            if (coverage && e->drawable == shown) {
                coverage->add(e->area.x, e->area.y, e->area.width, e->area.height);
                if (coverage->complete()) {
                    sample.paintedMs = ms;
                    sample.peakKiB = peakResidentKiB(pid);
                    done = true;
                }
            }
        }
        std::free(event);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return done;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS NAME=PROGRAM [NAME=PROGRAM ...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::pair<std::string, std::string>> programs;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        programs.emplace_back(arg.substr(0, arg.find('=')), arg.substr(arg.find('=') + 1));
    }

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "startup_bench: cannot connect to the X server\n");
        return 1;
    }
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "startup_bench: the X server has no DAMAGE extension\n");
        return 1;
    }
    std::free(xcb_damage_query_version_reply(
        x, xcb_damage_query_version(x, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    std::map<std::string, std::vector<Sample>> samples;
    for (int run = 0; run < runs; ++run) {
        for (const auto &[name, program] : programs) {
            Sample sample;
            if (!measure(x, root, damage->first_event, program.c_str(), sample)) {
                std::fprintf(stderr, "startup_bench: %s did not show a painted window\n",
                             name.c_str());
                return 1;
            }
            samples[name].push_back(sample);
        }
    }

    std::printf("%-10s %5s %12s %14s %14s\n", "program", "runs", "mapped (ms)", "painted (ms)",
                "peak RSS (KiB)");
    std::map<std::string, Sample> medians;
    for (const auto &[name, program] : programs) {
        std::vector<double> mapped, painted, peak;
        for (const Sample &s : samples[name]) {
            mapped.push_back(s.mappedMs);
            painted.push_back(s.paintedMs);
            peak.push_back(static_cast<double>(s.peakKiB));
        }
        medians[name] = {median(mapped), median(painted), static_cast<long>(median(peak))};
        std::printf("%-10s %5d %12.1f %14.1f %14ld\n", name.c_str(), runs, medians[name].mappedMs,
                    medians[name].paintedMs, medians[name].peakKiB);
    }
    const Sample &first = medians[programs[0].first];
    for (std::size_t i = 1; i < programs.size(); ++i) {
        const Sample &other = medians[programs[i].first];
        std::printf("%s / %s: mapped %.2fx, painted %.2fx, peak memory %+ld KiB\n",
                    programs[0].first.c_str(), programs[i].first.c_str(),
                    first.mappedMs / other.mappedMs, first.paintedMs / other.paintedMs,
                    first.peakKiB - other.peakKiB);
    }
    xcb_disconnect(x);
    return 0;
}
