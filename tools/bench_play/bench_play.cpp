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
// The game is started, found and played through the game driver
// (tools/game_driver), as the end-to-end tests do.
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
//
// Memory: the peak resident memory (VmHWM) of each program over its whole
// run, the game's loading included, and what the game holds at the end of
// play split into the pages of its program and libraries and the anonymous
// ones (heaps, pixels, textures, which Mesa's llvmpipe keeps in system
// memory, and sound buffers), from /proc/PID/smaps_rollup.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <fstream>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame_probe/frame_probe.h"
#include "game_driver/game_process.h"
#include "game_driver/game_view.h"
#include "game_driver/x_screen.h"

namespace {

const int kStartups = 3;
const double kWarmupSeconds = 3;
const int kSlices = 5;             // turns of each program
const double kSliceSeconds = 3;    // measured per turn
const double kSettleSeconds = 0.3; // after a turn starts, before it is measured
const double kWalkSeconds = 1.5;  // the player turns round this often
const double kPollSeconds = 0.01;  // how often a wait looks again

void sleep_s(double s) { usleep(static_cast<useconds_t>(s * 1e6)); }

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
// Memory of a process
// ---------------------------------------------------------------------------

// The figure of the line starting with `key` in a /proc file of `pid`, in
// MiB (the files give KiB), or -1.
double proc_mib(int pid, const char* file, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atof(line.c_str() + key.size()) / 1024;
    return -1;
}

double peak_mib(int pid) { return proc_mib(pid, "status", "VmHWM:"); }

// ---------------------------------------------------------------------------
// A folder and a probe file
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

std::vector<std::string> probe_env(const std::string& library, const Probe& probe) {
    return {"LD_PRELOAD=" + library, "FRAME_PROBE_FILE=" + probe.path, "ALSOFT_DRIVERS=null"};
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
    env.push_back(format("FRAME_PROBE_PIXEL=%d,%d", GameView::kBandX, GameView::kBandY));
    GameProcess p({game}, env, folder.path);
    int seen = 0;
    double menu = -1;
    XScreen::WaitUntil(
        [&] {
            int logged = probe.report->probeCount.load(std::memory_order_acquire);
            for (; seen < logged && menu < 0; ++seen)
                if (GameView::MenuBand(probe.report->probe[seen].rgb)) menu = probe.report->probe[seen].timeNs / 1e9;
            return menu >= 0 || !p.Running();
        },
        60, kPollSeconds);
    if (menu < 0 && !p.Running())
        throw std::runtime_error("the game ended before it showed the menu:\n" + p.result().err);
    if (menu < 0) throw std::runtime_error("the game showed no menu within a minute");
    return {probe.report->firstSwapNs / 1e9 - p.started(), menu - p.started()};
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

Reading read(const GameProcess& p, const Probe& probe) {
    const FrameProbeReport& r = *probe.report;
    Reading reading{MonotonicSeconds(), p.CpuSeconds(), r.swaps, r.allocsAll, r.allocsMain, r.allocsOwn, r.drawCalls,
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
    XScreen::WaitUntil([&] { return probe.report->swaps > frames + 1; }, 2, kPollSeconds);
}

class Round {
public:
    Round(XScreen& screen, unsigned long window) : view_(screen, window) {}

    bool Playing() { return view_.ShowsEnergyBar(); }

    // From the menu (or the end of a round) into a new round.
    void Start() {
        Stop();
        if (!XScreen::WaitUntil([&] { return view_.ShowsMenu() && !Playing(); }, 30, kPollSeconds))
            throw std::runtime_error("no menu to start a round from");
        for (int i = 0; i < 5; ++i) {
            if (!view_.Press("space")) throw std::runtime_error("xdotool could not press space");
            if (XScreen::WaitUntil([&] { return Playing(); }, 2, kPollSeconds)) return;
        }
        throw std::runtime_error(format("space started no round (colour 0x%06lx at the bar, 0x%06lx at the band)",
                                        view_.BarPixel(), view_.BandPixel()));
    }

    // Keeps walking, turning round every kWalkSeconds, for `seconds`.
    void Walk(double seconds) {
        for (double end = MonotonicSeconds() + seconds; MonotonicSeconds() < end;) {
            if (MonotonicSeconds() >= turn_) {
                Stop();
                key_ = key_ == "Right" ? "Left" : "Right";
                Xdo("keydown " + key_);
                turn_ = MonotonicSeconds() + kWalkSeconds;
            }
            sleep_s(std::min(0.05, std::max(0.0, end - MonotonicSeconds())));
        }
    }

    void Stop() {
        if (!key_.empty()) Xdo("keyup " + key_);
        turn_ = 0;
    }

private:
    void Xdo(const std::string& args) {
        if (!view_.Xdo(args)) throw std::runtime_error("xdotool failed: " + args);
    }

    GameView view_;
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
    XScreen screen;
    if (!screen.ok()) throw std::runtime_error("no X display");
    Folder folder(data);
    Probe gameProbe(folder.path + "/game.probe"), refProbe(folder.path + "/reference.probe"),
        sdlProbe(folder.path + "/sdl2.probe");
    GameProcess g({game}, probe_env(library, gameProbe), folder.path);
    unsigned long window = WaitForGameWindow(screen, g.pid(), 20);
    if (!window) throw std::runtime_error("the game opened no window");
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
        std::unique_ptr<GameProcess> process;
        std::vector<Slice> slices;
    };
    std::vector<Peer> peers;
    auto start_peer = [&](const std::string& label, const std::string& program, const Load& load, int px, int py) {
        Peer peer{label, std::make_unique<Probe>(folder.path + "/" + std::to_string(peers.size()) + ".probe"), nullptr, {}};
        std::vector<std::string> args{program, std::to_string(load.quads), format("%.0f", load.pixels), "0",
                                      std::to_string(px), std::to_string(py), load.mix};
        peer.process = std::make_unique<GameProcess>(args, probe_env(library, *peer.probe), folder.path);
        if (!XScreen::WaitUntil([&] { return peer.probe->report->swaps > 10; }, 20, kPollSeconds))
            throw std::runtime_error(label + " drew no frames");
        peer.process->Signal(SIGSTOP);
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
    auto turn = [&](GameProcess& p, const Probe& probe) {
        p.Signal(SIGCONT);
        resumed(probe);
        sleep_s(kSettleSeconds);
        Reading a = read(p, probe);
        sleep_s(kSliceSeconds);
        Slice slice = difference(a, read(p, probe));
        p.Signal(SIGSTOP);
        return slice;
    };
    std::vector<Slice> gs;
    for (int tries = 0; static_cast<int>(gs.size()) < kSlices && tries < 2 * kSlices; ++tries) {
        g.Signal(SIGCONT);
        resumed(gameProbe);
        round.Walk(kSettleSeconds);  // the catch-up after the stop falls before the readings
        Reading g0 = read(g, gameProbe);
        round.Walk(kSliceSeconds);
        Reading g1 = read(g, gameProbe);
        bool playing = round.Playing();

        g.Signal(SIGSTOP);
        std::vector<Slice> peerSlices;
        for (Peer& peer : peers) peerSlices.push_back(turn(*peer.process, *peer.probe));
        g.Signal(SIGCONT);
        if (!playing) {  // the round ended inside the turn: its figures mix in the menu
            round.Start();
            continue;
        }
        gs.push_back(difference(g0, g1));
        for (size_t i = 0; i < peers.size(); ++i) peers[i].slices.push_back(peerSlices[i]);
    }
    // Peaks before anything ends; the game's resident pages at the end of play.
    double gamePeak = peak_mib(g.pid()), gameRss = proc_mib(g.pid(), "smaps_rollup", "Rss:"),
           gameAnon = proc_mib(g.pid(), "smaps_rollup", "Anonymous:");
    std::vector<double> peerPeaks;
    for (Peer& peer : peers) peerPeaks.push_back(peak_mib(peer.process->pid()));
    for (Peer& peer : peers) peer.process->Signal(SIGCONT);
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
    row("peak resident memory: game", gamePeak, 1, "MiB", "",
        format("VmHWM, loading included; in play %.1f: %.1f anonymous (heaps, pixels, textures, sound), "
               "%.1f program, libraries and memory shared with the X server",
               gameRss, gameAnon, gameRss - gameAnon));
    for (size_t i = 0; i < peers.size(); ++i) {
        if (peers[i].label.find("(sent)") != std::string::npos) continue;  // the same program again
        row("peak resident memory: " + peers[i].label, peerPeaks[i], 1, "MiB", "", "VmHWM");
    }
    for (size_t i = 0; i < peers.size(); ++i) {
        if (peers[i].label.find("(sent)") != std::string::npos) continue;
        row("peak memory game - " + peers[i].label, gamePeak - peerPeaks[i], 1, "MiB",
            peers[i].label.compare(0, 4, "SDL2") == 0 ? "<= 25" : "", "");
    }
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
