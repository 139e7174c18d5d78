// tools/fuzz/fuzz_state.cpp - the game's saved-state loader on arbitrary text.
//
// The input is the content of the state file. A host whose LoadState decodes
// it as the real one decodes the file (String::FromBytes) hands it to
// c_MyApp::p_Load, the game's own loader. Beyond not crashing or throwing:
// whatever was loaded saves to a state that loads back to itself, so a
// damaged file can cost settings or scores once but never corrupt them
// further at the next start.
//
// One game object serves every input: it is created once, without a window,
// sound or art, and reset to the values creation gives before each load.
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "host/desktop.h"
#include "host/startup.h"

namespace {

// A host whose state file lives in memory.
class MemoryStateHost : public BBDesktopGame {
public:
    std::string file;   // the state file's bytes
    int saves = 0;

    String LoadState() override {
        return String::FromBytes(reinterpret_cast<const unsigned char*>(file.data()), static_cast<int>(file.size()));
    }
    int SaveState(String state) override {
        file = state.ToUtf8();  // as the real host writes it
        ++saves;
        return 0;
    }
};

MemoryStateHost* host;
c_MyApp* app;

// The options, badges and scores as creation leaves them before loading.
void reset_to_created() {
    for (int i = 0; i < app->m_Options.Length(); ++i) app->m_Options[i] = 0;
    app->m_Options[5] = 1;
    for (int i = 0; i < app->m_Badges.Length(); ++i) app->m_Badges[i] = false;
    for (int i = 0; i < app->m_Scores.Length(); ++i) app->m_Scores[i] = 0;
}

// Loads `file` into a freshly reset game and returns what saving then writes.
std::string load_and_save(const std::string& file) {
    reset_to_created();
    host->file = file;
    app->p_Load();
    int saves = host->saves;
    app->p_Save();
    FuzzCheck(host->saves == saves + 1);
    return host->file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The collector frees dead objects later, during other allocations, so
    // every run looks to the fuzzer like a leak and sends it on a full heap
    // scan. Its own leak checks are turned off (the flag is read after this
    // function); the process-end check still runs.
    static std::vector<char*> args(*argv, *argv + *argc);
    static char noLeakChecks[] = "-detect_leaks=0";
    args.push_back(noLeakChecks);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();

    // The loader reports each section on standard output; thousands of runs
    // a second would bury the fuzzer's own report.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    host = new MemoryStateHost();
    gc_init();
    bbInit();
    gc_mark();
    app = (new c_MyApp())->m_new();
    bb_Zanth_DebugMode = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    std::string saved = load_and_save(std::string(reinterpret_cast<const char*>(data), size));
    FuzzCheck(load_and_save(saved) == saved);
    // Collected objects made by the loader (the split parts) are released as
    // after any event the host delivers.
    host->gc_collect();
    return 0;
}
