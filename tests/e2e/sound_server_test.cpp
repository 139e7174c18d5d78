// The shipped game playing through a PulseAudio server of the test's own,
// heard by recording what the server plays: the server dies in a round and
// comes back, or starts after the game. Either way the game goes on drawing,
// and sound is heard again without a restart.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "game_window.h"

namespace {

// A PulseAudio server in per-user mode that keeps everything (runtime folder,
// socket, home, state) in a folder of its own, so it never meets another
// server on the machine, with one null sink whose monitor `parec` records.
// As root, as CI runs, PulseAudio warns that it is not meant to run as root
// and runs in per-user mode all the same: --system is not needed. Clients
// find it through PULSE_SERVER and may not start a server of their own.
class SoundServer {
public:
    explicit SoundServer(const std::string& dir) : dir_(dir) {
        for (const char* sub : {"", "/run", "/home", "/client"}) mkdir((dir_ + sub).c_str(), 0700);
        WriteFile(dir_ + "/client.conf", "autospawn = no\n");
    }
    ~SoundServer() { Kill(); }
    std::vector<std::string> ClientEnvironment() const {
        return {"ALSOFT_DRIVERS=pulse", "PULSE_SERVER=unix:" + dir_ + "/native",
                "PULSE_CLIENTCONFIG=" + dir_ + "/client.conf", "XDG_RUNTIME_DIR=" + dir_ + "/client"};
    }
    // Starts the server and the recorder; false when the server does not answer.
    bool Start() {
        server_.reset(new BackgroundProcess(
            {"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--log-target=stderr",
             "--load=module-null-sink sink_name=lantern",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + dir_ + "/native"},
            {"XDG_RUNTIME_DIR=" + dir_ + "/run", "PULSE_RUNTIME_PATH=" + dir_ + "/run/pulse", "HOME=" + dir_ + "/home",
             "XDG_CONFIG_HOME=" + dir_ + "/home", "PULSE_STATE_PATH=" + dir_ + "/home", "DISPLAY",
             "DBUS_SESSION_BUS_ADDRESS"}));
        if (!XScreen::WaitUntil([&] { return RunProgram({"pactl", "info"}, ClientEnvironment()).status == 0; }, 30))
            return false;
        recording_ = dir_ + "/recording" + std::to_string(++recordings_);
        recorder_.reset(new BackgroundProcess({"parec", "-d", "lantern.monitor", "--raw", "--format=s16le",
                                               "--rate=22050", "--channels=1", recording_},
                                              ClientEnvironment()));
        return true;
    }
    // Ends the server at once, as a crash would; the recorder goes with it.
    void Kill() {
        for (BackgroundProcess* p : {recorder_.get(), server_.get()}) {
            if (p) p->Signal(SIGKILL);
            if (p) p->Wait(10);
        }
    }
    // Waits up to `seconds` until the last half second recorded holds sound
    // (a null sink's silence is exactly 0); how long that took, or -1.
    double WaitForSound(double seconds) {
        auto start = std::chrono::steady_clock::now();
        bool heard = XScreen::WaitUntil([&] {
            std::string b = ReadFile(recording_);
            int peak = 0;
            for (size_t i = b.size() < 22050 ? 0 : b.size() - 22050; i + 1 < b.size(); i += 2)
                peak = std::max(peak, std::abs(int16_t(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8)));
            return peak > 500;
        }, seconds);
        return heard ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1;
    }

private:
    std::string dir_, recording_;
    int recordings_ = 0;
    std::unique_ptr<BackgroundProcess> server_, recorder_;
};

int Count(const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1)) ++n;
    return n;
}

// Lines of `text` that occur more than once.
std::vector<std::string> Repeated(const std::string& text) {
    std::vector<std::string> lines, repeated;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    std::sort(lines.begin(), lines.end());
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i] == lines[i - 1] && (repeated.empty() || repeated.back() != lines[i])) repeated.push_back(lines[i]);
    return repeated;
}

int LineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

const char* const kLost = "OpenAl error: audio device disconnected";
const char* const kBack = "OpenAl: audio device connected";

}  // namespace

class SoundServerTest : public GameWindowTest {
protected:
    SoundServerTest() : server(dir.path() + "/pulse") {
        startAtSetUp = false;
        environment = server.ClientEnvironment();
        // The tune plays as long as the round does: one where nobody comes.
        command.push_back("--seed");
        command.push_back(std::to_string(kWalkerUntouchedSeed));
    }
    void StartRound() {
        ASSERT_TRUE(WaitForMenu());
        Focus();
        ASSERT_TRUE(PressUntil("space", [&] { return ShowsEnergyBar(); }));
    }
    bool KeepsDrawing() {
        int w = 0, h = 0;
        std::vector<unsigned> a = screen.Grab(window, &w, &h);
        return XScreen::WaitUntil([&] { return ShareChanged(a, screen.Grab(window, &w, &h), 16) > 0; }, 5);
    }
    // Ends the game; what it printed.
    std::string EndGame() {
        game->Signal(SIGKILL);
        EXPECT_TRUE(game->Wait(10));
        return game->result().out;
    }
    SoundServer server;
};

TEST_F(SoundServerTest, TheTuneIsHeardAgainAfterTheServerDiesAndComesBack) {
    ASSERT_TRUE(server.Start()) << "the sound server did not start";
    Start();
    StartRound();
    EXPECT_GE(server.WaitForSound(20), 0) << "the round's tune was not heard";
    server.Kill();
    EXPECT_TRUE(KeepsDrawing()) << "the game stopped drawing without its sound server";
    ASSERT_TRUE(server.Start()) << "the sound server did not start again";
    double back = server.WaitForSound(20);
    EXPECT_GE(back, 0) << "no sound after the server came back";
    std::printf("sound heard again %.2f s after the server was back\n", back);
    std::string out = EndGame();
    EXPECT_EQ(Count(out, kLost), 1) << out;
    EXPECT_EQ(Count(out, kBack), 1) << out;
}

TEST_F(SoundServerTest, AGameStartedBeforeTheServerIsHeardOnceItRuns) {
    Start();
    ASSERT_TRUE(WaitForMenu());
    ASSERT_TRUE(server.Start()) << "the sound server did not start";
    StartRound();
    double heard = server.WaitForSound(20);
    EXPECT_GE(heard, 0) << "no sound once the server ran";
    std::printf("sound heard %.2f s after the round started\n", heard);
    std::string out = EndGame();
    EXPECT_EQ(Count(out, "OpenAl error: alcOpenDevice failed"), 1) << out;
    EXPECT_EQ(Count(out, kBack), 1) << out;
    EXPECT_EQ(Count(out, kLost), 0) << out;
}

// No sound card and no server, with the sound libraries left to their own
// choice of backend (ALSA among them, which has much to say about a missing
// card): the game keeps trying, says why the first attempt failed, and stays
// quiet through the retries; a server that comes up later is still found.
TEST_F(SoundServerTest, WithoutAnyDeviceTheRetriesAreQuietAndAServerIsStillFound) {
    environment.push_back("ALSOFT_DRIVERS");
    environment.push_back("ALSOFT_LOGLEVEL");
    environment.push_back("ALSOFT_CONF");
    Start();
    ASSERT_TRUE(WaitForMenu());
    // Long enough for several retries, two seconds apart.
    const double kQuietSeconds = 12;
    usleep(static_cast<useconds_t>(kQuietSeconds * 1e6));
    ASSERT_TRUE(server.Start()) << "the sound server did not start";
    double serverUp = MonotonicSeconds();
    StartRound();
    double heard = server.WaitForSound(20);
    double late = MonotonicSeconds() - serverUp;
    game->Signal(SIGKILL);
    ASSERT_TRUE(game->Wait(10));
    double ran = MonotonicSeconds() - game->started();
    const ProcessResult& r = game->result();
    if (Count(r.out, "OpenAl error: alcOpenDevice failed") == 0) GTEST_SKIP() << "a sound device was there from the start";
    EXPECT_GE(heard, 0) << "no sound once the server ran";
    std::string printed = r.out + r.err;
    std::printf("%d lines in %.1f s (%.0f a minute); sound heard %.2f s after the server was up\n", LineCount(printed),
                ran, LineCount(printed) * 60 / ran, late);
    EXPECT_EQ(Count(r.out, "OpenAl error: alcOpenDevice failed"), 1) << r.out;
    EXPECT_EQ(Count(r.out, kBack), 1) << r.out;
    // One attempt's reasons, each said once: a retry would repeat them.
    for (const std::string& line : Repeated(printed)) ADD_FAILURE() << "said again: " << line;
}
