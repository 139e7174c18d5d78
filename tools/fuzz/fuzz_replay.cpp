// tools/fuzz/fuzz_replay.cpp - the replay reader on arbitrary bytes.
//
// The input is the content of a replay file. Beyond not crashing: a file the
// reader accepts is exactly what the writer makes of what was read (nothing
// in it goes unchecked or is read loosely), and its tape plays into an input
// device update by update, as many updates as the file says, every field
// index in range and every queue within its bounds.
#include <vector>

#include "fuzz_common.h"
#include "game/replay.h"
#include "input/device.h"
#include "input/input_tape.h"
#include "runtime/gc.h"

namespace {

c_InputDevice* device;

void mark_device() { gc_mark_q(device); }

void field(int index, uint32_t, void*) { FuzzCheck(index >= 0 && index < ReplayFieldCount()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    gc_add_roots(mark_device);
    device = (new c_InputDevice())->m_new();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    ReplayFile replay;
    std::string error;
    if (!DecodeReplay(data, size, &replay, &error)) {
        FuzzCheck(!error.empty());
        return 0;
    }
    std::vector<uint8_t> again = EncodeReplay(replay);
    FuzzCheck(again.size() == size && std::equal(again.begin(), again.end(), data));

    // A long idle stretch plays quickly but not a million times a run.
    if (replay.updates > (1u << 20)) return 0;
    InputTapeReader tape(replay.tape.data(), replay.tape.size(), ReplayFieldCount());
    while (tape.Next(device, field, nullptr)) {
        FuzzCheck(device->m_keyHitPut >= 0 && device->m_keyHitPut <= c_InputDevice::kHitQueue);
        FuzzCheck(device->m_charPut >= 0 && device->m_charPut <= c_InputDevice::kCharQueue);
    }
    FuzzCheck(tape.Played() == static_cast<long>(replay.updates));
    device->p_EndUpdate();
    return 0;
}
