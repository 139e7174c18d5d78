// The installed game: `cmake --install` into a fresh prefix, then the
// launcher started from an unrelated folder, twice: the first run makes the
// player's folder and saves there, the second finds that state again.
// (tools/package_check.sh does the same with the Debian package.)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game_window.h"

namespace {

const std::string kLoadedAll =
    "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n";

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string LinkTarget(const std::string& path) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
}

// Width and height from a PNG's header, or 0 when it is not a PNG.
int PngEdge(const std::string& path, bool height) {
    std::string bytes = ReadFile(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + (height ? 20 : 16);
    return (p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

}  // namespace

class InstallTest : public GameWindowTest {
protected:
    InstallTest() { startAtSetUp = false; }

    // Runs the installed launcher from a folder of its own, with no data in
    // sight, until the menu shows; then quits from the menu, which saves.
    void RunOnceFrom(const std::string& folder, const std::vector<std::string>& env) {
        mkdir(folder.c_str(), 0755);
        ASSERT_EQ(chdir(folder.c_str()), 0);
        command = {prefix + "/bin/lantern-vault"};
        environment = env;
        environment.push_back("ALSOFT_DRIVERS=null");
        Start();
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        ASSERT_TRUE(WaitForMenu()) << "no menu";
        usleep(700 * 1000);
        PressUntil("Escape", [&] { return game->Wait(0.5); });
        ASSERT_TRUE(game->Wait(10)) << "still running after the quit key";
        EXPECT_EQ(game->result().status, 0);
        EXPECT_EQ(game->result().err, "");
    }

    std::string prefix = dir.path() + "/prefix";
};

TEST_F(InstallTest, TheInstalledGameRunsFromAnywhereAndKeepsItsStateInThePlayersFolder) {
    ChildResult install =
        RunProgram({LANTERN_CMAKE, "--install", LANTERN_BUILD_DIR, "--prefix", prefix}, {}, "", 60);
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::string data = prefix + "/share/lantern-vault/data";
    EXPECT_TRUE(IsExecutable(prefix + "/bin/lantern-vault"));
    EXPECT_TRUE(IsExecutable(prefix + "/libexec/lantern-vault/lantern-vault"));
    EXPECT_EQ(PngEdge(data + "/gfx.png", false), 256);
    EXPECT_NE(access((data + "/sfx/Firstlight.ogg").c_str(), R_OK), -1);
    EXPECT_EQ(access((data + "/.assetgen-stamp").c_str(), F_OK), -1) << "build bookkeeping installed";
    std::string desktop = ReadFile(prefix + "/share/applications/lantern-vault.desktop");
    for (const char* line : {"Type=Application\n", "Exec=lantern-vault\n", "Icon=lantern-vault\n", "Categories=Game;"})
        EXPECT_NE(desktop.find(line), std::string::npos) << line;
    // The manual page and the changelog are compressed; the metainfo shows the
    // committed screenshot at its real size.
    EXPECT_EQ(ReadFile(prefix + "/share/man/man6/lantern-vault.6.gz").compare(0, 2, "\x1f\x8b"), 0);
    EXPECT_EQ(ReadFile(prefix + "/share/doc/lantern-vault/changelog.gz").compare(0, 2, "\x1f\x8b"), 0);
    EXPECT_NE(ReadFile(prefix + "/share/doc/lantern-vault/copyright").find("License: Expat"), std::string::npos);
    std::string metainfo = ReadFile(prefix + "/share/metainfo/invalid.lantern_vault.LanternVault.metainfo.xml");
    const std::string screenshot = LANTERN_TEST_SOURCE_DIR "/../tools/install/screenshot.png";
    std::string size = "width=\"" + std::to_string(PngEdge(screenshot, false)) + "\" height=\"" +
                       std::to_string(PngEdge(screenshot, true)) + "\"";
    EXPECT_NE(metainfo.find("<image type=\"source\" " + size + ">"), std::string::npos) << size;
    for (int edge : {32, 48, 64, 128, 256}) {
        std::string icon = prefix + "/share/icons/hicolor/" + std::to_string(edge) + "x" + std::to_string(edge) +
                           "/apps/lantern-vault.png";
        EXPECT_EQ(PngEdge(icon, false), edge) << icon;
        EXPECT_EQ(PngEdge(icon, true), edge) << icon;
    }

    // First run: XDG_DATA_HOME unset, so the folder goes under HOME.
    unsetenv("XDG_DATA_HOME");
    const std::string home = dir.path() + "/home";
    const std::string player = home + "/.local/share/lantern-vault";
    RunOnceFrom(dir.path() + "/somewhere", {"HOME=" + home});
    EXPECT_EQ(game->result().out, "") << "a first run has no state to load";
    EXPECT_EQ(LinkTarget(player + "/data"), data);
    std::string saved = ReadFile(player + "/.vorlinstate");
    EXPECT_NE(saved, "");

    // Second run, from elsewhere, naming the same folder through XDG_DATA_HOME.
    RunOnceFrom(dir.path() + "/elsewhere", {"HOME=/nonexistent", "XDG_DATA_HOME=" + home + "/.local/share"});
    EXPECT_EQ(game->result().out, kLoadedAll);
    EXPECT_EQ(ReadFile(player + "/.vorlinstate"), saved);

    // A replay named relative to where the launcher was started is read from
    // there, not from the player's folder the game runs in.
    WriteFile(dir.path() + "/elsewhere/foreign.replay", "not a replay");
    ASSERT_EQ(chdir((dir.path() + "/elsewhere").c_str()), 0);
    ChildResult verify = RunProgram({prefix + "/bin/lantern-vault", "--verify", "foreign.replay"}, {"HOME=" + home}, "", 60);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(verify.status, 2);
    EXPECT_EQ(verify.err, "lantern-vault: " + dir.path() + "/elsewhere/foreign.replay: not a replay file\n");
    // So is every file of several, those after "--" too.
    WriteFile(dir.path() + "/elsewhere/-dash.replay", "not one either");
    ASSERT_EQ(chdir((dir.path() + "/elsewhere").c_str()), 0);
    ChildResult several = RunProgram({prefix + "/bin/lantern-vault", "--verify", "foreign.replay", "missing.replay",
                                      "--", "-dash.replay"}, {"HOME=" + home}, "", 60);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const std::string there = dir.path() + "/elsewhere/";
    EXPECT_EQ(several.status, 2);
    EXPECT_EQ(several.out, there + "foreign.replay: could not be read: not a replay file\n" + there +
                               "missing.replay: could not be read: No such file or directory\n" + there +
                               "-dash.replay: could not be read: not a replay file\n");
    EXPECT_EQ(several.err, "");
}
