// The shipped game playing through a PulseAudio server of the test's own,
// heard by recording the server's output: the server dies in a round and
// comes back, or is not there yet when the game starts. Either way the game
// goes on, and sound is heard again without a restart.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "game_window.h"

namespace {

// A PulseAudio server in per-user mode, everything it keeps in a folder of
// its own (runtime folder, socket, home, state), so it never meets another
// server on the machine, with one null sink whose monitor a recorder reads.
// As root, as CI runs, PulseAudio warns that it is not meant to run as root
// and runs in per-user mode all the same: --system is not needed. No client
// may start a server of its own (autospawn): the game and the tools find
// this one through PULSE_SERVER.
class SoundServer {
public:
    explicit SoundServer(const std::string& dir) : dir_(dir) {
        for (const char* sub : {"", "/runtime", "/home", "/client"}) mkdir((dir_ + sub).c_str(), 0700);
        WriteFile(dir_ + "/client.conf", "autospawn = no\n");
    }
    ~SoundServer() { Kill(); }

    // What a client needs to reach the server.
    std::vector<std::string> ClientEnvironment() const {
        return {"ALSOFT_DRIVERS=pulse", "PULSE_SERVER=unix:" + dir_ + "/native",
                "PULSE_CLIENTCONFIG=" + dir_ + "/client.conf", "XDG_RUNTIME_DIR=" + dir_ + "/client"};
    }

    // Starts the server and a recorder of its sink; false when it does not
    // answer within a generous time.
    bool Start() {
        Kill();
        server_.reset(new BackgroundProcess(
            {"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--log-target=stderr",
             "--load=module-null-sink sink_name=lantern rate=44100",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + dir_ + "/native"},
            {"XDG_RUNTIME_DIR=" + dir_ + "/runtime", "PULSE_RUNTIME_PATH=" + dir_ + "/runtime/pulse",
             "HOME=" + dir_ + "/home", "XDG_CONFIG_HOME=" + dir_ + "/home/.config",
             "PULSE_STATE_PATH=" + dir_ + "/home/state", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}));
        std::vector<std::string> env = ClientEnvironment();
        bool up = XScreen::WaitUntil([&] { return server_->Running() && RunProgram({"pactl", "info"}, env, "", 10).status == 0; }, 30);
        if (!up) return false;
        recording_ = dir_ + "/recording" + std::to_string(++recordings_) + ".raw";
        recorder_.reset(new BackgroundProcess({"parec", "-d", "lantern.monitor", "--raw", "--format=s16le",
                                               "--rate=" + std::to_string(kRate), "--channels=1",
                                               "--latency-msec=50", recording_},
                                              env));
        return true;
    }

    // Ends the server at once, as a crash would.
    void Kill() {
        for (std::unique_ptr<BackgroundProcess>* p : {&recorder_, &server_}) {
            if (*p && (*p)->Running()) {
                (*p)->Signal(SIGKILL);
                (*p)->Wait(10);
            }
            p->reset();
        }
    }

    // The loudest sample of the last `seconds` recorded (0..32768), or -1
    // while that much has not been recorded yet.
    int RecentPeak(double seconds = 0.5) {
        std::string bytes = ReadFile(recording_);
        size_t want = static_cast<size_t>(seconds * kRate) * 2;
        if (bytes.size() < want) return -1;
        int peak = 0;
        for (size_t i = bytes.size() - want; i + 1 < bytes.size(); i += 2) {
            int v = static_cast<int16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8);
            peak = std::max(peak, std::abs(v));
        }
        return peak;
    }
    // Waits up to `seconds` for something loud enough to hear; how long it took, or -1.
    double WaitForSound(double seconds) {
        auto start = std::chrono::steady_clock::now();
        bool heard = XScreen::WaitUntil([&] { return RecentPeak() > kAudible; }, seconds);
        return heard ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1;
    }

private:
    static const int kRate = 22050;   // recording rate (frames a second)
    static const int kAudible = 500;  // a null sink's silence is exactly 0
    std::string dir_;
    std::string recording_;
    int recordings_ = 0;
    std::unique_ptr<BackgroundProcess> server_, recorder_;
};

int Count(const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1)) ++n;
    return n;
}

const char* const kLost = "OpenAl error: audio device disconnected";
const char* const kBack = "OpenAl: audio device connected";

}  // namespace

class SoundServerTest : public GameWindowTest {
protected:
    SoundServerTest() : server(dir.path() + "/pulse") {
        startAtSetUp = false;
        environment = server.ClientEnvironment();
    }
    bool ShowsEnergyBar() { return ColourNear(screen.Pixel(window, 265, 44), 0x00ff00, 8); }
    void StartRound() {
        ASSERT_TRUE(WaitForMenu());
        Focus();
        ASSERT_TRUE(PressUntil("space", [&] { return ShowsEnergyBar(); })) << "no round started";
    }
    // The window's contents change between two looks: the game goes on drawing.
    bool KeepsDrawing() {
        int w = 0, h = 0;
        std::vector<unsigned> a = screen.Grab(window, &w, &h);
        return XScreen::WaitUntil([&] { return ShareChanged(a, screen.Grab(window, &w, &h), 16) > 0; }, 5);
    }
    // What the game printed, once it has been ended.
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
    EXPECT_TRUE(game->Running());

    ASSERT_TRUE(server.Start()) << "the sound server did not start again";
    double back = server.WaitForSound(20);
    EXPECT_GE(back, 0) << "no sound after the server came back";
    std::printf("sound heard again %.2f s after the server was back\n", back);
    EXPECT_TRUE(KeepsDrawing());

    std::string out = EndGame();
    EXPECT_EQ(Count(out, kLost), 1) << out;
    EXPECT_EQ(Count(out, kBack), 1) << out;
}

TEST_F(SoundServerTest, AGameStartedBeforeTheServerIsHeardOnceItRuns) {
    Start();
    ASSERT_TRUE(WaitForMenu());
    EXPECT_TRUE(KeepsDrawing());
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
