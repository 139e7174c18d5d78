// The procedural music player, switched on in-process: tunes decode through
// the renderer to the notes the generator composed, a seed always gives the
// same arrangement under its rules, cells do what their fields say, the step
// clock keeps time, and the game's own updates make it heard on channels 27
// to 31.
#include <AL/al.h>
#include <AL/alc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "alloc_count.h"
#include "common/test_support.h"
#include "game_world.h"
#include "host/app.h"
#include "tune_format.h"

namespace {

const char* const kTune = "Hollow Ridge/Tune_12";

// Stands in front of the real device: records every channel operation, then
// lets the real device carry it out.
struct ChannelLog : gxtkAudio {
    struct Op {
        char kind;  // 'S' stop, 'P' play (value: flags), 'V' volume, 'R' rate, 'N' pan
        int channel;
        float value;
        bool operator==(const Op& o) const { return kind == o.kind && channel == o.channel && value == o.value; }
    };
    gxtkAudio* real;
    std::vector<Op> ops;

    explicit ChannelLog(gxtkAudio* device) : gxtkAudio(NoOpenAl()), real(device) {}
    void mark() override { gc_mark_q(real); }
    int PlaySample(gxtkSample* s, int ch, int flags) override { ops.push_back({'P', ch, float(flags)}); return real->PlaySample(s, ch, flags); }
    int StopChannel(int ch) override { ops.push_back({'S', ch, 0}); return real->StopChannel(ch); }
    int SetVolume(int ch, float v) override { ops.push_back({'V', ch, v}); return real->SetVolume(ch, v); }
    int SetPan(int ch, float v) override { ops.push_back({'N', ch, v}); return real->SetPan(ch, v); }
    int SetRate(int ch, float v) override { ops.push_back({'R', ch, v}); return real->SetRate(ch, v); }
    int ChannelState(int ch) override { return real->ChannelState(ch); }
    bool Has(char kind, int ch) const {
        return std::any_of(ops.begin(), ops.end(), [&](const Op& op) { return op.kind == kind && op.channel == ch; });
    }
};

class MusicPlayerTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        bb_Zanth_HasMusic = 1;
        device = bb_audio_device;
    }
    void TearDown() override {
        if (!app()) return;
        bb_audio_SetAudioDevice(device);
        bb_Zanth_HasMusic = 0;
        app()->m_JMPlayer->p_JM_Stop(1);
        app()->m_Paused = 0;
        app()->m_Options[5] = 1;
    }

    // A new player for the application, configured as p_OnCreate does with
    // the switch on.
    static c_JMPlayer* FreshPlayer() {
        c_JMPlayer* p = (new c_JMPlayer())->m_new();
        p->p_JM_Init(32, 4, 3, 3, 4);
        gc_assign(app()->m_JMPlayer, p);
        return p;
    }
    // Starts a tune and renders until it is loaded; the frames that took.
    static int StartAndLoad(c_JMPlayer* p, const std::string& name, int seed) {
        p->p_JM_StartTune(String(name.c_str()), seed, 100);
        int frames = 0;
        for (; frames < 100 && p->m_LoadStep > 0; ++frames) Render();
        return frames;
    }
    // Steps through the update call, each step made due first.
    static void Step(c_JMPlayer* p, int count = 1) {
        for (int i = 0; i < count; ++i) {
            p->m_NextTime = bb_app_Millisecs() - 1;
            p->p_JM_Alive_U(0, 1);
        }
    }
    // A player in mid-tune with hand-made notes: every track in, the chord
    // "qqjj" ahead, three patterns left in the variation, 80 ms a step.
    static c_JMPlayer* Playing() {
        c_JMPlayer* p = FreshPlayer();
        p->m_State = 2;
        p->m_Chord = String("qqjj");
        p->m_Repeats = 3;
        p->m_Tempo = 100;
        p->m_NextTime = bb_app_Millisecs() + 1000;
        for (int t = 0; t < 8; ++t) p->m_Channel[t] = 31 - t;
        gc_assign(p->m_KitA[1], bb_audio_LoadSound(String("inst/d1-1.wav")));
        gc_assign(p->m_KitB[2], bb_audio_LoadSound(String("inst/d1-2.wav")));
        gc_assign(p->m_Voices[2], bb_audio_LoadSound(String("inst/lead1.wav")));
        return p;
    }
    // A cell's note, volume, effect and effect parameter.
    static void SetCell(c_JMPlayer* p, int pattern, int track, int step, std::array<int, 4> cell) {
        for (int i = 0; i < 4; ++i) p->m_Data[pattern * 4096 + track * 512 + step * 8 + i] = cell[i];
    }
    // Puts a log in front of the device until the test ends.
    ChannelLog* Record() {
        bb_audio_SetAudioDevice(new ChannelLog(device));
        return static_cast<ChannelLog*>(bb_audio_device);
    }
    float Source(int ch, int param) {
        float v = -1;
        alGetSourcef(device->channels[ch].source, param, &v);
        return v;
    }

    gxtkAudio* device = nullptr;  // the real one
};

}  // namespace

TEST_F(MusicPlayerTest, EachTuneDecodesThroughTheRendererToTheComposedNotes) {
    c_JMPlayer* p = FreshPlayer();
    for (const assetgen::TuneFile& tune : assetgen::AllTunes()) {
        SCOPED_TRACE(tune.name);
        EXPECT_EQ(StartAndLoad(p, tune.name, 37171650), 24) << "70 loading steps, three a frame";
        int differences = 0, last[8] = {};
        for (int pat = 0; pat < 64; ++pat)
            for (int t = 0; t < 8; ++t)
                for (int at = 0; at < 512; ++at) {
                    int want = pat < 63 ? tune.data.At(pat, t, at / 8, at % 8) : 0;  // frame 63 is never read
                    differences += p->m_Data[pat * 4096 + t * 512 + at] != want;
                    if (want) last[t] = pat;
                }
        EXPECT_EQ(differences, 0);
        for (int t = 0; t < 8; ++t) EXPECT_EQ(p->m_LastPattern[t], last[t]) << "track " << t;
        for (int k = 1; k <= 8; ++k) EXPECT_TRUE(p->m_KitA[k] && p->m_KitB[k]) << "drum " << k;
        EXPECT_TRUE(p->m_Voices[2] && p->m_Voices[3] && p->m_Voices[4]);
    }
    // The tune already loaded starts again without loading.
    p->p_JM_StartTune(String("Retro/HopperEsque"), 1, 100);
    EXPECT_EQ(p->m_LoadStep, 0);

    // A missing tune loads as silence, also after another tune.
    StartAndLoad(p, "Retro/No Such Tune", 5);
    ChannelLog* log = Record();
    Step(p, 64 * 3);
    EXPECT_FALSE(log->Has('P', 31) || log->Has('P', 29)) << "nothing to play";

    // Frames are decoded in a 64 x 64 corner of the back buffer: a smaller
    // window holds loading back.
    Resize(48, 40);
    p->p_JM_StartTune(String("Retro/HopperEsque"), 1, 100);
    Render();
    EXPECT_EQ(p->m_LoadStep, 1);
    Resize(640, 480);
    StartAndLoad(p, "Retro/HopperEsque", 1);
    EXPECT_EQ(p->m_LastPattern[2], 3);
    FinishLoading();  // the game reloads its art after a resize
}

TEST_F(MusicPlayerTest, TheSameSeedGivesTheSameChannelOperationsUnderTheRules) {
    struct Run {
        std::vector<ChannelLog::Op> ops;
        std::string chords;             // the chord letter of each pattern
        std::vector<int> variationLengths;  // in patterns
    };
    auto play = [&](int seed) {
        c_JMPlayer* p = FreshPlayer();
        StartAndLoad(p, kTune, seed);
        ChannelLog* log = Record();
        Run run;
        for (int patterns = 0, length = 0; patterns < 20;) {
            if (p->m_Step == 0) run.chords += static_cast<char>(p->m_Chord[0]);
            int variation = p->m_Variation;
            Step(p);
            if (p->m_Step != 0) continue;
            ++patterns;
            ++length;
            if (p->m_Variation == variation) continue;
            run.variationLengths.push_back(length);
            length = 0;
            EXPECT_FALSE(p->m_Mute[0] && p->m_Mute[1]) << "both drum tracks muted, seed " << seed;
        }
        run.ops = log->ops;
        bb_audio_SetAudioDevice(device);
        return run;
    };
    Run first = play(37171650), again = play(37171650), other = play(424242);
    ASSERT_GT(first.ops.size(), 1000u);
    EXPECT_TRUE(first.ops == again.ops) << "the same seed played differently";
    EXPECT_FALSE(first.ops == other.ops) << "the seed made no difference";

    const std::set<std::string> chords = {"qqqq", "qqjj", "qqbb", "qbqb", "qqqj"};
    for (const Run* run : {&first, &other}) {
        EXPECT_EQ(run->chords.substr(0, 4), "qqjj");
        for (size_t i = 4; i + 4 <= run->chords.size(); i += 4) EXPECT_TRUE(chords.count(run->chords.substr(i, 4))) << run->chords;
        ASSERT_GE(run->variationLengths.size(), 3u);
        for (int n : run->variationLengths) EXPECT_TRUE(n == 2 || n == 4) << n;
        for (const ChannelLog::Op& op : run->ops) {
            ASSERT_TRUE(op.channel >= 27 && op.channel <= 31) << op.kind << op.channel;
            if (op.kind == 'N') {
                EXPECT_EQ(op.value, op.channel == 31 ? -0.35f : 0.35f);
            } else if (op.kind == 'P') {
                EXPECT_EQ(op.value, op.channel <= 29 ? 1 : 0) << "melodic samples loop, drums do not";
            } else if (op.kind == 'R') {
                EXPECT_TRUE(op.value >= 0.25f && op.value <= 4.0f) << op.value;
            }
        }
    }
}

TEST_F(MusicPlayerTest, OneCellSetsLevelEnvelopeRateAndDrums) {
    c_JMPlayer* p = Playing();
    ChannelLog* log = Record();
    p->p_JM_PlayNote(2, 13, 30, 0, 0);
    EXPECT_EQ(bb_audio_device->ChannelState(29), 1);
    EXPECT_FLOAT_EQ(Source(29, AL_GAIN), 0.5f) << "level 1 at master volume 0.5";
    log->ops.clear();
    for (int i = 0; i < 20; ++i) p->p_JM_PlayNote(2, 0, 0, 0, 0);  // empty cells run the envelope down
    EXPECT_EQ(p->m_Level[2], 0.0f);
    EXPECT_FALSE(log->Has('S', 29) || log->Has('R', 29));
    p->p_JM_PlayNote(2, 13, 15, 0, 0);
    p->p_JM_PlayNote(2, 0, 31, 0, 0);  // volume 31: silent, still playing
    EXPECT_EQ(Source(29, AL_GAIN), 0.0f);
    EXPECT_EQ(bb_audio_device->ChannelState(29), 1);

    p->m_Chord = String("jqq");  // the chord letter transposes melodic notes
    p->p_JM_PlayNote(2, 20, 20, 0, 0);
    EXPECT_FLOAT_EQ(p->m_Rate[2], 1.498f * 0.891f);
    for (int i = 0; i < 10; ++i) p->p_JM_PlayNote(2, 0, 0, 3, 31);
    EXPECT_EQ(Source(29, AL_PITCH), 4.0f) << "slides stop at 4";
    for (int i = 0; i < 30; ++i) p->p_JM_PlayNote(2, 0, 0, 4, 31);
    EXPECT_EQ(Source(29, AL_PITCH), 0.25f) << "and at a quarter";

    log->ops.clear();
    p->p_JM_PlayNote(0, 13, 0, 0, 0);  // drum 1 of kit A
    p->p_JM_PlayNote(1, 15, 20, 0, 0);  // drum 2 of kit B
    const std::vector<ChannelLog::Op> hits = {{'S', 31, 0}, {'P', 31, 0}, {'N', 31, -0.35f}, {'S', 30, 0},
                                              {'P', 30, 0}, {'N', 30, 0.35f}, {'V', 30, 19 / 29.0f * 0.5f}};
    EXPECT_TRUE(log->ops == hits) << "a hit without a volume keeps the channel's";
    log->ops.clear();
    p->p_JM_PlayNote(0, 14, 0, 4, 31);  // not a drum note: stops the drum; slides apply to drums too
    EXPECT_EQ(bb_audio_device->ChannelState(31), 0);
    EXPECT_FALSE(log->Has('P', 31));
    EXPECT_EQ(Source(31, AL_PITCH), 0.25f);
    p->m_Mute[2] = 1;
    p->p_JM_PlayNote(2, 13, 20, 0, 0);
    EXPECT_FALSE(log->Has('P', 29)) << "muted";
}

TEST_F(MusicPlayerTest, PatternBreaksAndBranchesMoveTracksWithinTheTune) {
    c_JMPlayer* p = Playing();
    SetCell(p, 0, 0, 5, {13, 20, 8, 0});
    for (int t = 1; t < 5; ++t) {
        SetCell(p, 0, t, 5, {0, 2, 0, 0});        // the row the break skips
        SetCell(p, 0, t, 63, {0, 10 + t, 0, 0});  // the row later tracks read instead
    }
    p->m_Step = 5;
    Step(p);
    for (int t = 1; t < 5; ++t) EXPECT_FLOAT_EQ(p->m_Level[t], (9 + t) / 29.0f) << "track " << t;
    EXPECT_EQ(p->m_Step, 0);
    EXPECT_EQ(p->m_Chord, String("qjj")) << "a new pattern takes the next chord letter";

    struct Case {
        int repeats, param, from, to;
    };
    for (Case c : {Case{3, 1, 4, 5}, Case{3, 2, 4, 4}, Case{2, 2, 4, 3}, Case{2, 1, 4, 4}, Case{3, 1, 63, 63}, Case{2, 2, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "repeats " << c.repeats << ", parameter " << c.param << ", from " << c.from);
        p = Playing();
        SetCell(p, c.from, 2, 10, {0, 0, 27, c.param});
        if (c.to != c.from) SetCell(p, c.to, 2, 10, {13, 30, 27, c.param});  // played, not branched from again
        p->m_Pattern[2] = c.from;
        p->m_Repeats = c.repeats;
        p->m_Step = 10;
        Step(p);
        EXPECT_EQ(p->m_Pattern[2], c.to);
        EXPECT_EQ(p->m_Level[2], c.to != c.from ? 1.0f : 0.0f);
    }
}

TEST_F(MusicPlayerTest, TheStepClockWaitsThroughPausesSilenceAndClockJumps) {
    c_JMPlayer* p = Playing();
    int now = bb_app_Millisecs();
    p->m_NextTime = now + 200000;  // the clock went back
    p->p_JM_Alive_U(0, 1);
    p->p_JM_Alive_U(0, 1);
    EXPECT_EQ(p->m_Step, 1) << "one step at once, then time is kept from now";
    p->m_NextTime = now - 1000;  // late: one step per update, from the due time
    p->p_JM_Alive_U(0, 1);
    p->p_JM_Alive_U(0, 1);
    EXPECT_EQ(p->m_Step, 3);

    p->p_JM_PlayNote(2, 13, 20, 0, 0);
    p->p_JM_Alive_U(1, 1);  // paused
    EXPECT_EQ(p->m_Sounding[2], 0);
    EXPECT_EQ(bb_audio_device->ChannelState(29), 0);
    p->m_NextTime = now - 60000;  // a minute without music
    p->p_JM_Alive_U(0, 0);
    p->p_JM_Alive_U(0, 1);
    EXPECT_EQ(p->m_Step, 3) << "music coming back resumes in time, not racing through the missed steps";
    p->p_JM_Stop(1);
    p->m_NextTime = now - 1000;
    p->p_JM_Alive_U(0, 1);
    EXPECT_EQ(p->m_Step, 3) << "stopped";
}

TEST_F(MusicPlayerTest, StepsWithinAPatternAllocateNothing) {
    if (!AllocCount::Available()) GTEST_SKIP() << "allocations are not counted in this build";
    c_JMPlayer* p = FreshPlayer();
    StartAndLoad(p, kTune, 37171650);
    // Every track in, on its first pattern, which has no pattern break (a
    // pattern's end moves the chord queue on, making a new string).
    auto firstPatterns = [p] {
        for (int t = 0; t < 5; ++t) p->m_Pattern[t] = p->m_Mute[t] = 0;
    };
    firstPatterns();
    Step(p, 64);  // every channel has played once
    firstPatterns();
    AllocCount count;
    Step(p, 63);
    EXPECT_EQ(count.Calls(), 0);
}

TEST_F(MusicPlayerTest, TheGameLoadsAndStepsThePlayerAndItIsHeardOnChannels27To31) {
    const char* role = std::getenv("LANTERN_MUSIC_ROLE");
    if (!role) {
        ScopedTempDir dir;
        std::string out = dir.path() + "/out.wav";
        WriteFile(dir.path() + "/alsoft.conf",
                  "[general]\ndrivers=wave\nsample-type=int16\nchannels=stereo\n[wave]\nfile=" + out + "\n");
        ChildResult r = RunProgram({"/proc/self/exe", "--gtest_filter=MusicPlayerTest.TheGame*"},
                                   {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + dir.path() + "/alsoft.conf", "LANTERN_MUSIC_ROLE=wave"}, "", 60);
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        // The mix: 16-bit samples after the "data" tag.
        std::string wav = ReadFile(out);
        size_t data = wav.find("data");
        ASSERT_NE(data, std::string::npos);
        int peak = 0;
        for (size_t i = data + 8; i + 1 < wav.size(); i += 2)
            peak = std::max(peak, std::abs(static_cast<int16_t>(uint8_t(wav[i]) | uint8_t(wav[i + 1]) << 8)));
        std::printf("%zu bytes of sound, peak %d of 32767\n", wav.size(), peak);
        EXPECT_GT(peak, 3000) << "the tune is not audible in the mix";
        return;
    }
    if (std::string(role) != "wave") GTEST_SKIP();
    // In the child: music only, so no effect (not even the loader's jingle)
    // reaches the file; every track in, so each channel has notes to play.
    app()->m_Options[5] = 3;
    FinishLoading();
    c_JMPlayer* p = FreshPlayer();
    p->p_JM_StartTune(String("Retro/Cavern Digger"), 37171650, 100);
    for (int t = 0; t < 5; ++t) p->m_Mute[t] = 0;
    // Frames at about the game's pace until the tune has stepped past its
    // first bars and every track has sounded; a busy machine takes longer.
    std::set<int> heard;
    auto stepped = [p] { return p->m_Step + 64 * p->m_Variation > 20; };
    for (int start = bb_app_Millisecs(); bb_app_Millisecs() - start < 30000; usleep(16000)) {
        Frame();
        for (int ch = 0; ch < 33; ++ch) {
            int state = 0;
            if (!bb_audio_device->channels[ch].source) continue;  // never used
            alGetSourcei(bb_audio_device->channels[ch].source, AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING && Source(ch, AL_GAIN) > 0.05f) heard.insert(ch);
        }
        if (stepped() && heard.size() >= 5) break;
    }
    EXPECT_TRUE(stepped()) << "the updates stepped the tune";
    EXPECT_EQ(heard, (std::set<int>{27, 28, 29, 30, 31})) << "the channels heard";
    // Closing finishes the file; the game itself never closes its device.
    gxtkAudio* audio = bb_audio_device;
    p->p_JM_Stop(1);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(audio->alcContext);
    alcCloseDevice(audio->alcDevice);
    audio->alcContext = nullptr;
    audio->alcDevice = nullptr;
}
