// The installed Debian package, as a player meets it: tools/package_check.sh
// installs the package on the machine, runs this program under a virtual
// display, and removes the package again. (It is no ctest test: it needs
// the package installed.)
//
// The game starts from the menu's command, /usr/games/lantern-vault, in a
// folder that has nothing to do with it and with nothing but HOME (and the
// display) in its environment; it keeps its state in the player's XDG data
// folder, below the HOME that tools/package_check.sh passes in
// LANTERN_PACKAGE_HOME and checks again after the package is gone.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "e2e/game_window.h"

namespace {

const std::string kLauncher = "/usr/games/lantern-vault";
const std::string kData = "/usr/share/games/lantern-vault";

std::string LinkTarget(const std::string& path) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
}

int CountEntries(const std::string& folder) {
    DIR* d = opendir(folder.c_str());
    if (!d) return -1;
    int count = 0;
    while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++count;
    closedir(d);
    return count;
}

}  // namespace

class InstalledPackageTest : public GameWindowTest {
protected:
    InstalledPackageTest() { startAtSetUp = false; }
};

TEST_F(InstalledPackageTest, StartsFromAnUnrelatedFolderWithOnlyHomeSetAndQuitsFromTheMenu) {
    const char* home = std::getenv("LANTERN_PACKAGE_HOME");
    ASSERT_NE(home, nullptr) << "run by tools/package_check.sh, which names the player's home";
    ASSERT_EQ(access(kLauncher.c_str(), X_OK), 0) << "the package is not installed";

    const std::string unrelated = dir.path() + "/unrelated";
    ASSERT_EQ(mkdir(unrelated.c_str(), 0755), 0);
    ASSERT_EQ(chdir(unrelated.c_str()), 0);
    command = {"/usr/bin/env", "-i", std::string("HOME=") + home, std::string("DISPLAY=") + std::getenv("DISPLAY"),
               kLauncher};
    environment = {};
    Start();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    if (HasFatalFailure() && game->Wait(5))
        FAIL() << "the game ended with status " << game->result().status << ":\n" << game->result().out
               << game->result().err;

    ASSERT_TRUE(WaitForMenu(60)) << "no menu";
    int w = 0, h = 0;
    ASSERT_TRUE(screen.Size(window, &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    PressUntil("Escape", [&] { return game->Wait(0.5); });
    ASSERT_TRUE(game->Wait(10)) << "still running after the quit key";
    EXPECT_EQ(game->result().status, 0) << game->result().err;

    const std::string player = std::string(home) + "/.local/share/lantern-vault";
    EXPECT_NE(ReadFile(player + "/.vorlinstate"), "") << "quitting from the menu saves";
    EXPECT_EQ(LinkTarget(player + "/data"), kData);
    EXPECT_EQ(CountEntries(unrelated), 0) << "the game wrote into the folder it was started from";
}
