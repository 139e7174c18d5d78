// Desktop services of the host: opening a web address with the user's handler.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "common/test_support.h"
#include "host/desktop.h"

TEST(DesktopTest, OpenUrlHandsTheAddressToTheDesktopHandlerWithoutWaiting) {
    ScopedTempDir dir;
    // A stand-in for the desktop's handler that records what it was asked to open.
    WriteFile("xdg-open", "#!/bin/sh\nsleep 1\nprintf '%s' \"$1\" > \"" + dir.path() + "/opened.txt\"\n");
    chmod("xdg-open", 0755);
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ChildResult r = RunInChild([&] {
        setenv("PATH", (dir.path() + ":" + path).c_str(), 1);
        BBDesktopGame host;
        std::u16string url = u"https://example.invalid/a b?c=\u00e9";
        host.OpenUrl(String(url.data(), static_cast<int>(url.size())));
        // The game goes on at once; the handler finishes on its own.
        struct stat st;
        if (stat("opened.txt", &st) == 0) std::printf("waited for the handler\n");
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    for (int i = 0; i < 500 && ReadFile("opened.txt").empty(); ++i) usleep(10000);
    EXPECT_EQ(ReadFile("opened.txt"), "https://example.invalid/a b?c=\xe9");
}
