// tools/bench_play/bench_play.cpp - the shipped game measured from outside:
// start-up time, and CPU, frame rate and heap requests per second of play
// against the reference program and SDL2's renderer, in turns in one run.
//
//   bench_play GAME REFERENCE PROBE DATA [SDL2_PEER]
//
// GAME is the game's executable, REFERENCE tools/bench_reference, PROBE the
// frame probe library (tools/frame_probe) preloaded into all of them, DATA
// the generated data folder, SDL2_PEER tools/bench_sdl2 (the same load drawn
// by SDL2's 2D renderer; left out when not given). Needs an X display
// (tools/bench.sh provides one) and xdotool. Prints rows of the benchmark
// table (see tools/bench.sh).
//
// Start-up: the game is started kStartups times in a fresh folder; the probe
// logs one pixel of every frame and the time of its swap, and the first frame
// showing the menu there ends the measurement. Play: a round is started with
// the space key and the player walks left and right, so that the maze
// scrolls; after a warm-up the probe's counts give the quads and pixels the
// game asks for per frame (whole frames, as an SDL2 game would draw them)
// and those its renderer sends (margins that show nothing left out). The
// reference and the SDL2 peer are started with each of the two loads; the
// ratios against the first pair are the ones with targets, the second pair
// shows what a sent pixel costs. Then all take kSlices turns, the others
// stopped (SIGSTOP) while one runs; each turn gives the CPU time of the running
// process (from /proc), its frames and heap requests. A turn of the game in
// which the round ended is dropped with the others' turns after it, and a new
// round is started.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame_probe/frame_probe.h"

extern char** environ;

namespace {

const char* const kTitle = "Bramblet in The Lantern Vault";
const int kStartups = 3;
const double kWarmupSeconds = 3;
const int kSlices = 5;             // turns of each program
const double kSliceSeconds = 3;    // measured per turn
const double kSettleSeconds = 0.3; // after a turn starts, before it is measured
const double kWalkSeconds = 1.5;  // the player turns round this often

// Screen points at 640 x 480: the loading screen's band (anything else there
// is the menu), and a point inside the round's energy bar.
const int kBandX = 64, kBandY = 240;
const unsigned kLoadingBand = 0xbb7c42, kLoadingBackground = 0x282850;
const int kBarX = 265, kBarY = 44;

double now_s() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void sleep_s(double s) { usleep(static_cast<useconds_t>(s * 1e6)); }

bool colour_near(long a, unsigned b, int tolerance) {
    if (a < 0) return false;
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) > tolerance)
            return false;
    }
    return true;
}

bool shows_menu(long band) {
    return band > 0 && !colour_near(band, kLoadingBand, 12) && !colour_near(band, kLoadingBackground, 4);
}

bool wait_until(const std::function<bool()>& test, double seconds) {
    for (double end = now_s() + seconds; now_s() < end; sleep_s(0.01))
        if (test()) return true;
    return test();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void row(const std::string& what, double figure, int decimals, const char* unit, const char* target,
         const std::string& note) {
    std::printf("%-40s %10.*f  %-8s %-12s %s\n", what.c_str(), decimals, figure, unit, target, note.c_str());
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    char buf[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

// ---------------------------------------------------------------------------
// A folder, a probe file and a process
// ---------------------------------------------------------------------------

// A fresh folder that sees the data folder, removed with what the game wrote.
class Folder {
public:
    explicit Folder(const std::string& data) {
        char name[] = "/tmp/lantern-bench-XXXXXX";
        if (!mkdtemp(name)) throw std::runtime_error("cannot make a folder in /tmp");
        path = name;
        if (symlink(data.c_str(), (path + "/data").c_str()) != 0) throw std::runtime_error("cannot link " + data);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

// The shared report of one probed process (see frame_probe.h).
class Probe {
public:
    explicit Probe(const std::string& file) : path(file) {
        int fd = open(file.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ftruncate(fd, sizeof(FrameProbeReport)) != 0) throw std::runtime_error("cannot make " + file);
        void* map = mmap(nullptr, sizeof(FrameProbeReport), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (map == MAP_FAILED) throw std::runtime_error("cannot map " + file);
        report = static_cast<FrameProbeReport*>(map);
    }
    ~Probe() { munmap(report, sizeof(FrameProbeReport)); }
    bool Attached() const { return report->magic == kFrameProbeMagic; }
    std::string path;
    FrameProbeReport* report;
};

class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& dir) {
        started = now_s();
        pid = fork();
        if (pid == 0) {
            for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
            if (chdir(dir.c_str()) != 0) _exit(127);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~Process() {
        if (!Running()) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    bool Running() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) != 0) pid = -1;  // ended and reaped
        return pid > 0;
    }
    // CPU seconds of all the process's threads so far (user and system).
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        size_t close = text.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream fields(text.substr(close + 2));
        std::string skip;
        for (int i = 3; i < 14; ++i) fields >> skip;  // fields 3..13
        double user = 0, system = 0;
        fields >> user >> system;                     // fields 14 and 15, clock ticks
        return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    pid_t pid;
    double started;  // monotonic seconds just before the process was forked
};

std::vector<std::string> probe_env(const std::string& library, const Probe& probe) {
    return {"LD_PRELOAD=" + library, "FRAME_PROBE_FILE=" + probe.path, "ALSOFT_DRIVERS=null"};
}

// ---------------------------------------------------------------------------
// The window, through the X server and xdotool
// ---------------------------------------------------------------------------

class Screen {
public:
    Screen() : display_(XOpenDisplay(nullptr)) {
        if (!display_) throw std::runtime_error("no X display");
    }
    ~Screen() { XCloseDisplay(display_); }

    // The visible window of process `pid` with this title, or 0 (a window
    // of a process just ended may still be listed for a moment).
    Window Find(const std::string& title, pid_t pid) {
        Window root = DefaultRootWindow(display_), parent, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            XWindowAttributes attrs;
            if (XFetchName(display_, children[i], &name) && name && title == name && Pid(children[i]) == pid &&
                XGetWindowAttributes(display_, children[i], &attrs) && attrs.map_state == IsViewable)
                found = children[i];
            if (name) XFree(name);
        }
        if (children) XFree(children);
        return found;
    }

    pid_t Pid(Window window) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        pid_t pid = 0;
        if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_PID", False), 0, 1, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data && count == 1 && format == 32)
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return pid;
    }

    // Where a 640 x 480 window can stand without covering `window` (whose
    // pixels are read while both run), in the top or the bottom half of the
    // screen; false when the screen has no room.
    bool PlaceBeside(Window window, bool bottom, int* x, int* y) {
        XWindowAttributes attrs, root;
        Window child;
        int wx = 0, wy = 0;
        if (!XGetWindowAttributes(display_, window, &attrs) ||
            !XGetWindowAttributes(display_, DefaultRootWindow(display_), &root) ||
            !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &wx, &wy, &child))
            return false;
        *y = bottom ? root.height - 480 : 0;
        if (bottom && root.height < 960) return false;
        if (wx >= 640) *x = 0;
        else if (root.width - (wx + attrs.width) >= 640) *x = root.width - 640;
        else return false;
        return true;
    }

    long Pixel(Window window, int x, int y) {
        XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return -1;
        long pixel = static_cast<long>(XGetPixel(image, 0, 0) & 0xffffff);
        XDestroyImage(image);
        return pixel;
    }

private:
    Display* display_;
};

void xdo(Window window, const std::string& args) {
    std::string cmd = "xdotool windowfocus --sync " + std::to_string(window) + " " + args + " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("xdotool failed: " + args);
}

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

struct Startup {
    double firstFrame;  // seconds from exec to the first frame
    double menu;        // ... to the first frame showing the menu
};

Startup time_startup(const std::string& game, const std::string& library, const std::string& data) {
    Folder folder(data);
    Probe probe(folder.path + "/probe");
    std::vector<std::string> env = probe_env(library, probe);
    env.push_back(format("FRAME_PROBE_PIXEL=%d,%d", kBandX, kBandY));
    Process p({game}, env, folder.path);
    int seen = 0;
    double menu = -1;
    wait_until(
        [&] {
            int logged = probe.report->probeCount.load(std::memory_order_acquire);
            for (; seen < logged && menu < 0; ++seen)
                if (shows_menu(probe.report->probe[seen].rgb)) menu = probe.report->probe[seen].timeNs / 1e9;
            return menu >= 0 || !p.Running();
        },
        60);
    if (menu < 0 && !p.Running()) throw std::runtime_error("the game ended before it showed the menu");
    if (menu < 0) throw std::runtime_error("the game showed no menu within a minute");
    return {probe.report->firstSwapNs / 1e9 - p.started, menu - p.started};
}

// ---------------------------------------------------------------------------
// Play
// ---------------------------------------------------------------------------

// One reading of a probed process.
struct Reading {
    double time, cpu;
    int64_t swaps, allocsAll, allocsMain, allocsOwn, drawCalls, triangles, pixels, late;
    int64_t sizeClass[kSizeClasses];
    int64_t requestedQuads, requestedPixels, requestedSizeClass[kSizeClasses];
};

Reading read(const Process& p, const Probe& probe) {
    const FrameProbeReport& r = *probe.report;
    Reading reading{now_s(), p.CpuSeconds(), r.swaps, r.allocsAll, r.allocsMain, r.allocsOwn, r.drawCalls,
                    r.triangles, r.coveredPixels, r.lateFrames, {}, 0, 0, {}};
    for (int k = 0; k < kSizeClasses; ++k) reading.sizeClass[k] = r.sizeClass[k];
    reading.requestedQuads = r.requestedQuads;
    reading.requestedPixels = r.requestedPixels;
    for (int k = 0; k < kSizeClasses; ++k) reading.requestedSizeClass[k] = r.requestedSizeClass[k];
    return reading;
}

struct Slice {
    double seconds, cpu, fps, allocs, allocsMain, allocsOwn, late;
};

Slice difference(const Reading& a, const Reading& b) {
    double frames = std::max<int64_t>(1, b.swaps - a.swaps), s = b.time - a.time;
    return {s, (b.cpu - a.cpu) / s, (b.swaps - a.swaps) / s, (b.allocsAll - a.allocsAll) / frames,
            (b.allocsMain - a.allocsMain) / frames, (b.allocsOwn - a.allocsOwn) / frames,
            static_cast<double>(b.late - a.late)};
}

// Waits (at most 2 s) until a process let go on again has drawn two frames, so
// that the frame late from its stop falls before the readings.
void resumed(const Probe& probe) {
    int64_t frames = probe.report->swaps;
    wait_until([&] { return probe.report->swaps > frames + 1; }, 2);
}

class Round {
public:
    Round(Screen& screen, Window window) : screen_(screen), window_(window) {}

    bool Playing() { return colour_near(screen_.Pixel(window_, kBarX, kBarY), 0x00ff00, 8); }

    // From the menu (or the end of a round) into a new round.
    void Start() {
        Stop();
        if (!wait_until([&] { return shows_menu(screen_.Pixel(window_, kBandX, kBandY)) && !Playing(); }, 30))
            throw std::runtime_error("no menu to start a round from");
        for (int i = 0; i < 5; ++i) {
            xdo(window_, "keydown space sleep 0.1 keyup space");
            if (wait_until([&] { return Playing(); }, 2)) return;
        }
        throw std::runtime_error(format("space started no round (colour 0x%06lx at the bar, 0x%06lx at the band)",
                                        screen_.Pixel(window_, kBarX, kBarY), screen_.Pixel(window_, kBandX, kBandY)));
    }

    // Keeps walking, turning round every kWalkSeconds, for `seconds`.
    void Walk(double seconds) {
        for (double end = now_s() + seconds; now_s() < end;) {
            if (now_s() >= turn_) {
                Stop();
                key_ = key_ == "Right" ? "Left" : "Right";
                xdo(window_, "keydown " + key_);
                turn_ = now_s() + kWalkSeconds;
            }
            sleep_s(std::min(0.05, std::max(0.0, end - now_s())));
        }
    }

    void Stop() {
        if (!key_.empty()) xdo(window_, "keyup " + key_);
        turn_ = 0;
    }

private:
    Screen& screen_;
    Window window_;
    std::string key_;
    double turn_ = 0;
};

// A load for the peers: quads a frame, the window pixels they cover, and
// their mix of sizes (quad_scene.h's MIX argument; `note` for people).
struct Load {
    int quads;
    double pixels;
    std::string mix, note;
};

// The mix of sizes from triangle counts by size class between two readings.
Load mix_of(const int64_t (&a)[kSizeClasses], const int64_t (&b)[kSizeClasses]) {
    int64_t total = 0;
    for (int k = 0; k < kSizeClasses; ++k) total += b[k] - a[k];
    Load load{0, 0, "", ""};
    for (int k = 0; k < kSizeClasses; ++k) {
        double share = (b[k] - a[k]) / std::max(1.0, double(total));
        load.mix += format("%s%.4f", k ? "," : "", share);
        if (share >= 0.005) load.note += format("%s%d: %.0f%%", load.note.empty() ? "" : ", ", 1 << k, share * 100);
    }
    return load;
}

void measure_play(const std::string& game, const std::string& reference, const std::string& sdl2,
                  const std::string& library, const std::string& data) {
    Screen screen;
    Folder folder(data);
    Probe gameProbe(folder.path + "/game.probe"), refProbe(folder.path + "/reference.probe"),
        sdlProbe(folder.path + "/sdl2.probe");
    Process g({game}, probe_env(library, gameProbe), folder.path);
    Window window = 0;
    if (!wait_until([&] { return (window = screen.Find(kTitle, g.pid)) != 0; }, 20))
        throw std::runtime_error("the game opened no window");
    Round round(screen, window);
    round.Start();

    round.Walk(1);
    Reading a = read(g, gameProbe);
    round.Walk(kWarmupSeconds);
    Reading b = read(g, gameProbe);
    double frames = std::max<int64_t>(1, b.swaps - a.swaps);
    Load sent = mix_of(a.sizeClass, b.sizeClass);
    sent.quads = static_cast<int>(std::lround((b.triangles - a.triangles) / frames / 2));
    sent.pixels = (b.pixels - a.pixels) / frames;
    Load asked = mix_of(a.requestedSizeClass, b.requestedSizeClass);
    asked.quads = static_cast<int>(std::lround((b.requestedQuads - a.requestedQuads) / frames));
    asked.pixels = (b.requestedPixels - a.requestedPixels) / frames;
    double calls = (b.drawCalls - a.drawCalls) / frames;
    if (sent.quads < 1 || sent.pixels <= 0) throw std::runtime_error("the probe saw the game draw nothing");
    if (asked.quads < 1) asked = sent;  // a game that does not say what it asked for

    int x = 0, y = 0, sx = 0, sy = 0;
    if (!screen.PlaceBeside(window, false, &x, &y) || !screen.PlaceBeside(window, true, &sx, &sy))
        throw std::runtime_error("the screen has no room for the peers beside the game (1920 x 1080 has)");
    // The peers: the reference and SDL2's renderer, each drawing the frame as
    // the game asks for it, and the pixels the game's renderer sent for it.
    // Only one runs at a time, so the two of a kind share a place.
    struct Peer {
        std::string label;
        std::unique_ptr<Probe> probe;
        std::unique_ptr<Process> process;
        std::vector<Slice> slices;
    };
    std::vector<Peer> peers;
    auto start_peer = [&](const std::string& label, const std::string& program, const Load& load, int px, int py) {
        Peer peer{label, std::make_unique<Probe>(folder.path + "/" + std::to_string(peers.size()) + ".probe"), nullptr, {}};
        std::vector<std::string> args{program, std::to_string(load.quads), format("%.0f", load.pixels), "0",
                                      std::to_string(px), std::to_string(py), load.mix};
        peer.process = std::make_unique<Process>(args, probe_env(library, *peer.probe), folder.path);
        if (!wait_until([&] { return peer.probe->report->swaps > 10; }, 20))
            throw std::runtime_error(label + " drew no frames");
        kill(peer.process->pid, SIGSTOP);
        peers.push_back(std::move(peer));
    };
    start_peer("reference", reference, asked, x, y);
    if (!sdl2.empty()) start_peer("SDL2 renderer", sdl2, asked, sx, sy);
    start_peer("reference (sent)", reference, sent, x, y);
    if (!sdl2.empty()) start_peer("SDL2 renderer (sent)", sdl2, sent, sx, sy);
    if (!round.Playing()) round.Start();

    // Interleaved turns: the game plays while the peers are stopped, then
    // each peer draws while the others are stopped. Run at the same time,
    // they would compete for the two cores and the drivers' threads of each
    // would wait on the others', which shows in their CPU times.
    auto turn = [&](Process& p, const Probe& probe) {
        kill(p.pid, SIGCONT);
        resumed(probe);
        sleep_s(kSettleSeconds);
        Reading a = read(p, probe);
        sleep_s(kSliceSeconds);
        Slice slice = difference(a, read(p, probe));
        kill(p.pid, SIGSTOP);
        return slice;
    };
    std::vector<Slice> gs;
    for (int tries = 0; static_cast<int>(gs.size()) < kSlices && tries < 2 * kSlices; ++tries) {
        kill(g.pid, SIGCONT);
        resumed(gameProbe);
        round.Walk(kSettleSeconds);  // the catch-up after the stop falls before the readings
        Reading g0 = read(g, gameProbe);
        round.Walk(kSliceSeconds);
        Reading g1 = read(g, gameProbe);
        bool playing = round.Playing();

        kill(g.pid, SIGSTOP);
        std::vector<Slice> peerSlices;
        for (Peer& peer : peers) peerSlices.push_back(turn(*peer.process, *peer.probe));
        kill(g.pid, SIGCONT);
        if (!playing) {  // the round ended inside the turn: its figures mix in the menu
            round.Start();
            continue;
        }
        gs.push_back(difference(g0, g1));
        for (size_t i = 0; i < peers.size(); ++i) peers[i].slices.push_back(peerSlices[i]);
    }
    for (Peer& peer : peers) kill(peer.process->pid, SIGCONT);
    round.Stop();
    if (gs.empty()) throw std::runtime_error("no slice of play was measured");

    auto figure = [](const std::vector<Slice>& v, double Slice::*field) {
        std::vector<double> x;
        for (const Slice& s : v) x.push_back(s.*field);
        return x;
    };
    auto range = [](std::vector<double> v, const char* fmt) {
        auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return format(fmt, *lo, *hi);
    };
    auto sum = [](std::vector<double> v) {
        double s = 0;
        for (double x : v) s += x;
        return s;
    };
    auto maximum = [](std::vector<double> v) { return *std::max_element(v.begin(), v.end()); };
    int n = static_cast<int>(gs.size());

    row("quads drawn per frame (game)", sent.quads, 0, "quads", "",
        format("in %.1f draw calls, covering %.0f px (%.2f x the window)", calls, sent.pixels,
               sent.pixels / (640 * 480)));
    std::printf("%-40s %s\n", "quads by side (pixels, from)", sent.note.c_str());
    row("quads asked for per frame (game)", asked.quads, 0, "quads", "",
        format("whole frames, covering %.0f px (%.2f x the window); by side %s", asked.pixels,
               asked.pixels / (640 * 480), asked.note.c_str()));
    row("CPU per second of play: game", median(figure(gs, &Slice::cpu)), 3, "s/s", "",
        format("median of %d turns of %.0f s, range %s", n, kSliceSeconds,
               range(figure(gs, &Slice::cpu), "%.3f-%.3f").c_str()));
    for (const Peer& peer : peers) {
        row("CPU per second: " + peer.label, median(figure(peer.slices, &Slice::cpu)), 3, "s/s", "",
            format("range %s", range(figure(peer.slices, &Slice::cpu), "%.3f-%.3f").c_str()));
    }
    for (const Peer& peer : peers) {
        std::vector<double> ratios;
        for (size_t i = 0; i < gs.size(); ++i) ratios.push_back(gs[i].cpu / peer.slices[i].cpu);
        bool sdl = peer.label.compare(0, 4, "SDL2") == 0, asSent = peer.label.find("(sent)") != std::string::npos;
        row("CPU ratio game / " + peer.label, median(ratios), 2, "x", asSent ? "" : sdl ? "<= 0.9" : "<= 1.0",
            format("median of the ratios of turns taken in turn, range %s", range(ratios, "%.2f-%.2f").c_str()));
    }
    row("frames per second: game", median(figure(gs, &Slice::fps)), 1, "fps", "60 steady",
        format("in its turns; range %s; %.0f frames over 25 ms", range(figure(gs, &Slice::fps), "%.1f-%.1f").c_str(),
               sum(figure(gs, &Slice::late))));
    for (const Peer& peer : peers) {
        row("frames per second: " + peer.label, median(figure(peer.slices, &Slice::fps)), 1, "fps", "",
            format("in its turns; range %s; %.0f frames over 25 ms",
                   range(figure(peer.slices, &Slice::fps), "%.1f-%.1f").c_str(), sum(figure(peer.slices, &Slice::late))));
    }
    // The median shows what every frame does; a lone worst slice, something
    // made once on first use.
    row("heap allocations per frame: game", median(figure(gs, &Slice::allocsOwn)), 2, "/frame", "0",
        format("by our code (median; worst slice %.2f); all threads %.2f (drivers, X)",
               maximum(figure(gs, &Slice::allocsOwn)), median(figure(gs, &Slice::allocs))));
    const std::vector<Slice>& rs = peers[0].slices;
    row("heap allocations per frame: reference", median(figure(rs, &Slice::allocsOwn)), 2, "/frame", "",
        format("by its code (median; worst slice %.2f); all threads %.2f (drivers, X)",
               maximum(figure(rs, &Slice::allocsOwn)), median(figure(rs, &Slice::allocs))));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: bench_play GAME REFERENCE PROBE_LIBRARY DATA_FOLDER [SDL2_PEER]\n");
        return 2;
    }
    // The programs run in folders of their own: absolute paths.
    std::string paths[5];
    for (int i = 0; i < argc - 1; ++i) {
        char* path = realpath(argv[i + 1], nullptr);
        if (!path) {
            std::fprintf(stderr, "bench_play: %s: not found\n", argv[i + 1]);
            return 1;
        }
        paths[i] = path;
        std::free(path);
    }
    const std::string &game = paths[0], &reference = paths[1], &library = paths[2], &data = paths[3], &sdl2 = paths[4];
    signal(SIGPIPE, SIG_IGN);
    try {
        std::vector<double> menus, firsts;
        for (int i = 0; i < kStartups; ++i) {
            Startup s = time_startup(game, library, data);
            menus.push_back(s.menu * 1000);
            firsts.push_back(s.firstFrame * 1000);
        }
        auto [lo, hi] = std::minmax_element(menus.begin(), menus.end());
        row("start-up to the first menu frame", median(menus), 0, "ms", "",
            format("median of %d, range %.0f-%.0f; first frame after %.0f ms", kStartups, *lo, *hi, median(firsts)));
        std::fflush(stdout);
        measure_play(game, reference, sdl2, library, data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_play: %s\n", e.what());
        return 1;
    }
    return 0;
}
