// tools/soak/random_player.h - a seeded random player for the soak program.
//
// The player looks at the game's state to see which screen is up, and then
// acts on it only through the host's input entry points, as the desktop host
// does: GLFW key and character callbacks, mouse buttons and moves in window
// pixels, now and then a touch, focus loss (suspend and resume) and window
// resizes. Keys are pressed, held for a plausible number of updates and
// released; a key held long repeats as GLFW repeats it.
//
// It is random but steered: on the menu it picks a goal (a round of the
// variant it has started least, the options, the credits, the badges, or just
// fiddling with the item line) and works toward it; each round gets a length
// after which the player gives up, either standing still until the enemies
// take its energy or leaving through the pause menu. So every screen is
// reached in a run of a few thousand updates.
//
// Now and then it mashes: keys from the whole keyboard, characters from all
// of Unicode, the other mouse buttons, more fingers, the pointer outside the
// window. What it must never do is quit: the quit action (Escape and its keys, and
// the iCade's menu buttons) is pressed only where it pauses, resumes or closes
// a box, and released before the main menu can see it; F4 (quit at once) is
// never pressed.
//
// All decisions come from one generator seeded by the caller, so a run is
// replayed by its seed (with the soak host's simulated clock).
#ifndef LANTERN_TOOLS_SOAK_RANDOM_PLAYER_H
#define LANTERN_TOOLS_SOAK_RANDOM_PLAYER_H

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

class BBGlfwGame;
class c_MyApp;

// A game pad on port 0, as the host's joystick poll reports it: the soak
// host copies it into the input device's joystick state at every update.
struct SoakPad {
    bool present = false;
    float stickX = 0, stickY = 0;  // first stick, -1..1, up positive
    bool buttons[32] = {};         // the input module's button numbers
};

// What the player did and saw, for the report.
struct SoakCounts {
    long rounds[4] = {};         // rounds started, per variant 1..3
    long roundsLost = 0;         // ended by running out of energy
    long roundsLeft = 0;         // ended from the pause menu
    long pauses = 0;
    long creditsOpened = 0, optionsOpened = 0, badgesOpened = 0;
    long soundModeChanges = 0, iCadeToggles = 0, displayRowUses = 0;
    long menuMoves = 0;          // changes of the menu's selected item
    long keyPresses = 0, charsTyped = 0, clicks = 0, drags = 0, touches = 0;
    long padPresses = 0, padPlugs = 0;  // pad buttons and stick pushes; pad (un)plugged
    long mashes = 0;             // bursts of odd input: stray keys, characters, buttons, fingers
    long suspends = 0, resizes = 0, reloads = 0, debugToggles = 0, hudToggles = 0;
    int badgesEarned = 0;        // badges set by the end of the run
    std::vector<int> badgeIds;   // which
};

class RandomPlayer {
public:
    RandomPlayer(BBGlfwGame* host, c_MyApp* app, uint64_t seed);

    // Sends this update's input: releases what is due, then perhaps starts
    // something new. `update` is the number of updates run so far.
    void BeforeUpdate(long update);
    // Reads what the update changed, for the counts.
    void AfterUpdate();
    // Whether the game is suspended (the caller skips nothing: the host's
    // guard keeps updates out, as in the main loop).
    bool Suspended() const { return resumeAt_ >= 0; }
    // From update `at` on, gives the window each of the player's sizes in
    // turn, each until its art has loaded, and then the start size again; so
    // the memory every size needs has been seen by a given point of the run.
    void ScheduleSizeTour(long at) { tourAt_ = at; }
    // Lets go of everything, resumes and puts the window back to the size it
    // had at the start, so the end of a run is measured as its start was.
    void Settle(long update);
    const SoakPad& Pad() const { return pad_; }
    const SoakCounts& Counts();
    static void Print(const SoakCounts& c, FILE* out);

private:
    enum Screen { kLoading, kMenu, kCredits, kBadges, kOptions, kRound, kPaused, kRoundOver };
    enum MenuGoal { kGoalNone, kGoalStart, kGoalOptions, kGoalCredits, kGoalBadges, kGoalFiddle };

    // A key held down (GLFW key code), an iCade button held by its letter, a
    // pad button or a pushed stick.
    struct Held {
        int key;           // GLFW key; 0 an iCade letter pair; kHeldPadButton - b; kHeldStickX / kHeldStickY
        char release;      // iCade: the letter that lets the button go
        long until;        // update at which it is let go
        bool quits;        // the quit action
        long repeatAt;     // next GLFW key repeat
    };

    // A mouse button other than the left, or a finger other than the first,
    // held until an update.
    struct Pending {
        bool touch;
        int id;            // mouse button 1..2, or finger 1..9
        float x, y;        // window pixels
        long until;
    };

    static const int kHeldStickX = -1, kHeldStickY = -2, kHeldPadButton = -3;

    Screen Look() const;
    // Input primitives.
    void Press(int glfwKey, int updates, bool quits);
    void TypeLetter(char letter);
    void HoldAction(int action, int updates);
    bool HoldOnPad(int action, int updates);
    void LetGo(const Held& h);
    void ReleaseDue();
    void ReleaseQuitKeys();
    void MouseTo(float vx, float vy);
    void Click(float vx, float vy, int updates, float dragX = 0, float dragY = 0);
    void MouseStep();
    void Mash();
    bool KeysIdle() const { return held_.empty(); }
    bool MouseIdle() const { return !mouseDown_ && !touching_; }
    // Screens.
    void OnMenu();
    void MenuTowardItem(int item);
    void MenuItemPos(int item, float* x, float* y) const;
    void OnRound();
    void OnPaused();
    void OnOptions();
    void OnCredits();
    void OnBadges();
    void Occasionally();
    void Resize(int w, int h);
    bool SizeTour();

    int Rand(int lo, int hi);  // inclusive
    bool Chance(double p);

    BBGlfwGame* host_;
    c_MyApp* app_;
    std::mt19937_64 random_;
    long now_ = 0;              // updates so far
    long busyUntil_ = 0;        // no new move before this update
    std::vector<Held> held_;
    std::vector<Pending> pending_;
    SoakPad pad_;
    // Mouse, in window pixels.
    float mouseX_ = 0, mouseY_ = 0;
    bool mouseDown_ = false, touching_ = false;
    long mouseUpAt_ = 0;
    float dragX_ = 0, dragY_ = 0;  // movement per update while down (window pixels)
    // Steering.
    MenuGoal goal_ = kGoalNone;
    int goalItem_ = 1;
    long goalSince_ = 0;
    long roundEndAt_ = 0;       // update from which the player gives up the round
    bool leaveRound_ = false;   // giving up by the pause menu rather than standing still
    long resumeAt_ = -1;        // while suspended: update at which focus returns
    long debugOffAt_ = -1, hudBackAt_ = -1;
    int startW_ = 0, startH_ = 0;
    long tourAt_ = -1;          // when the size tour starts; -1 none
    int tourStep_ = 0;          // sizes given so far in the tour
    // Last seen state, for the counts.
    int lastMode_ = 0, lastPaused_ = 0, lastEnded_ = 0, lastLoad_ = 0, lastSel_ = 0;
    int lastCredits_ = 0, lastOptions_ = 0, lastBadges_ = 0, lastSound_ = 0, lastICade_ = 0;
    SoakCounts counts_;
};

#endif
