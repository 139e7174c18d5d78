// game/replay_fields.h - the fields a replay carries, in the file's order,
// each with the rule its values keep.
//
// One list holds both: LANTERN_REPLAY_SCALARS names each carried scalar,
// where the game keeps it, and the values the game itself can give it, so
// that the recording (game/replay_session.cpp, which expands the storage) and
// the check of a replay from elsewhere (game/replay_rules.cpp, which expands
// the rules) can never disagree on the order. After the 49 scalars come the
// 20 virtual buttons and the 25 saved options (kReplayVKeys, kReplayOptions),
// whose rules replay_rules.cpp gives by index.
//
// A rule holds for a field's value at the round's start and for every value
// the tape sets between updates, unless it names a separate tape rule
// (Start(..).Tape(..)). The values come from what the game's own code gives
// each field: the screen's fields from the fit of some window
// (game/screen_fit.h), checked together; switches as a player's game sets
// them (a desktop or a page, never the console, whose overscan and
// accelerometer no other game has); counters and slides within the steps
// their code takes; the pointer's positions and the virtual stick's anchor
// anything (a pointer may be anywhere on or off the window).
//
// X(name, storage, rule): `name` as messages name the field, `storage` an
// expression of the app `a` (or a global), `rule` a FieldRule expression of
// game/replay_rules.cpp.
#ifndef LANTERN_GAME_REPLAY_FIELDS_H
#define LANTERN_GAME_REPLAY_FIELDS_H

#define LANTERN_REPLAY_SCALARS(X)                                                  \
    X(bb_Zanth_jscrw, bb_Zanth_jscrw, Screen(Float(0, kBaseScreenWidth)))          \
    X(bb_Zanth_jscrh, bb_Zanth_jscrh, Screen(Float(0, kBaseScreenHeight)))         \
    X(m_ScaleX, a.m_ScaleX, Screen(Float(0, 65536)))                               \
    X(m_ScaleY, a.m_ScaleY, Screen(Float(0, 65536)))                               \
    X(m_FitAxis, a.m_FitAxis, Screen(Int(1, 2)))                                   \
    X(m_Landscape, a.m_Landscape, Screen(Int(0, 1)))                               \
    X(m_DevW, a.m_DevW, Screen(Int(0, 65535)))                                     \
    X(m_DevH, a.m_DevH, Screen(Int(0, 65535)))                                     \
    X(m_LoadStage, a.m_LoadStage, Int(0, 0).Tape(1, 1))                            \
    X(m_Paused, a.m_Paused, Int(0, 1))                                             \
    X(m_PauseState, a.m_PauseState, Int(-1, 1))                                    \
    X(m_PauseSlide, a.m_PauseSlide, Int(-87, 240))                                 \
    X(m_PauseSel, a.m_PauseSel, Int(-1, 1))                                        \
    X(bb_Zanth_iCadeControls, bb_Zanth_iCadeControls, Int(0, 1))                   \
    X(bb_Zanth_OnScreenControls, bb_Zanth_OnScreenControls, Int(0, 1))             \
    X(bb_Zanth_AccelerometerControls, bb_Zanth_AccelerometerControls, Int(0, 0))   \
    X(bb_Zanth_overscan, bb_Zanth_overscan, Float(0, 0))                           \
    X(bb_Zanth_DebugMode, bb_Zanth_DebugMode, Int(0, 1))                           \
    X(m_GameType, a.m_GameType, Variant())                                         \
    X(m_NoHud, a.m_NoHud, Int(0, 1))                                               \
    X(m_MouseX, a.m_MouseX, AnyInt())                                              \
    X(m_MouseY, a.m_MouseY, AnyInt())                                              \
    X(m_MouseWasDown, a.m_MouseWasDown, Int(0, 1))                                 \
    X(m_TouchLatch, a.m_TouchLatch, Int(0, 1))                                     \
    X(m_KeyLatch, a.m_KeyLatch, Int(0, 1))                                         \
    X(m_InputDelay, a.m_InputDelay, Int(0, 0))                                     \
    X(m_KeyRampX, a.m_KeyRampX, Float(-1, 1))                                      \
    X(m_KeyRampY, a.m_KeyRampY, Float(-1, 1))                                      \
    X(m_MoveX, a.m_MoveX, Float(-1, 1))                                            \
    X(m_MoveY, a.m_MoveY, Float(-1, 1))                                            \
    X(m_TouchAnchorX, a.m_TouchAnchorX, AnyInt())                                  \
    X(m_TouchAnchorY, a.m_TouchAnchorY, AnyInt())                                  \
    X(m_AccelX0, a.m_AccelX0, Float(0, 0))                                         \
    X(m_AccelY0, a.m_AccelY0, Float(0, 0))                                         \
    X(m_TiltSmX, a.m_TiltSmX, Float(0, 0))                                         \
    X(m_TiltSmY, a.m_TiltSmY, Float(0, 0))                                         \
    X(m_PadDrag, a.m_PadDrag, Int(0, 1))                                           \
    X(m_Fade, a.m_Fade, Float(0, 36000))                                           \
    X(m_OptionsOpen, a.m_OptionsOpen, Int(0, 1))                                   \
    X(m_OptionSlide, a.m_OptionSlide, Int(0, 30))                                  \
    X(m_OptSel, a.m_OptSel, Int(0, 8))                                             \
    X(m_OptA, a.m_OptA, Int(0, 127))                                               \
    X(m_OptB, a.m_OptB, Int(0, 0))                                                 \
    X(m_Fullscreen, a.m_Fullscreen, Int(0, 1))                                     \
    X(m_CreditsOpen, a.m_CreditsOpen, Int(0, 1))                                   \
    X(m_BadgesOpen, a.m_BadgesOpen, Int(0, 1))                                     \
    X(m_CreditSlide, a.m_CreditSlide, Int(0, 30))                                  \
    X(m_MenuSlide, a.m_MenuSlide, Int(-32, 0))                                     \
    X(m_FreeEnt, a.m_FreeEnt, Int(-1, 109))

// The scalars' count, then the virtual buttons and the options that follow them.
#define LANTERN_REPLAY_COUNT_ONE(name, storage, rule) +1
constexpr int kReplayScalars = 0 LANTERN_REPLAY_SCALARS(LANTERN_REPLAY_COUNT_ONE);
#undef LANTERN_REPLAY_COUNT_ONE
constexpr int kReplayVKeys = 20;
constexpr int kReplayOptions = 25;
constexpr int kReplayFields = kReplayScalars + kReplayVKeys + kReplayOptions;

#endif
