// input/input_tape.h - the input of a run of updates, recorded compactly and
// played back into an input device.
//
// A tape holds, for every update, what the game could read from the input
// device during it: held keys and buttons, the hits and typed characters of
// the update in their order, the pointer and touch positions, acceleration
// and the joysticks' axes. Besides the input, the program that owns the tape
// may record numbered 32-bit "fields" per update (the game records the state
// that changes between updates, such as the visible screen size); the tape
// only carries them.
//
// Only changes are written. Each update is a list of records ended by an end
// mark, and a run of updates without any record is one idle record with its
// length, so a long stretch of nothing costs a few bytes:
//
//   record      bytes after the tag
//   key down    code (varint)            the code becomes held
//   key up      code (varint)            the code is released
//   hit         code (varint)            one hit of the code, in queue order
//   character   character (varint)
//   pointer     x, y (coordinates)       the mouse position
//   touch       finger (1 byte), x, y    a touch position
//   accel       x, y, z (4 bytes each)
//   axis        port * 6 + axis (1 byte), value (4 bytes): joyx 0-1, joyy 2-3, joyz 4-5
//   field       index (varint), value (4 bytes, little-endian)
//   end                                  the update is complete
//   idle        n (varint)               n updates with no record at all
//
// A coordinate is a varint: a whole number within +-2^24 as its zigzag code
// shifted left by one, anything else as the bit 1 followed by the float's 4
// bytes. Varints are 7 bits a byte, low first, at most 5 bytes.
//
// The writer keeps the previous update's input and its own buffer, reserved
// once: recording an update allocates nothing while the buffer has room (a
// five-minute round of brisk play takes a few kilobytes). The reader checks
// every record against the limits of the input device (codes 1-511, fingers
// 0-31, 33 hits and 32 characters an update, field indices below the count
// it is given), so a damaged tape is refused whole by Scan, never half played.
// Main thread only; neither class is a collected object.
#ifndef LANTERN_INPUT_INPUT_TAPE_H
#define LANTERN_INPUT_INPUT_TAPE_H

#include <cstdint>
#include <string>
#include <vector>

class c_InputDevice;

class InputTapeWriter {
public:
    // Reserves `reserveBytes` at once; later rounds reuse the buffer.
    explicit InputTapeWriter(size_t reserveBytes = 64 * 1024);

    // Starts an empty tape; the input before the first update counts as
    // nothing held, everything at 0.
    void Begin();
    // Records field `index` with `value` for the update being recorded.
    void Field(int index, uint32_t value);
    // Records what `device` holds for the update being recorded (after its
    // update began, before the game reads it).
    void Input(const c_InputDevice& device);
    // Closes the update being recorded.
    void EndUpdate();
    // Closes the tape; its bytes stay valid until the next Begin.
    void Finish();

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    long Updates() const { return updates_; }

private:
    void Tag(uint8_t tag);
    void Varint(uint32_t v);
    void Word(uint32_t v);
    void Coordinate(float v);
    void FlushIdle();

    std::vector<uint8_t> bytes_;
    long updates_ = 0;
    uint32_t idle_ = 0;         // updates without a record, not yet written
    bool updateHasRecord_ = false;
    // The input as the previous update had it.
    bool keyDown_[512];
    float mouseX_, mouseY_;
    float touchX_[32], touchY_[32];
    float accel_[3];
    float axes_[4][6];
};

// What a scan of a tape reports, record by record, to a caller that checks
// the values it sets (the replays' rules, game/replay.h).
class InputTapeVisitor {
public:
    virtual ~InputTapeVisitor() {}
    // A field record of update `update` (0 for the tape's first).
    virtual void Field(long update, int index, uint32_t value) { (void)update, (void)index, (void)value; }
    // A joystick axis record: `port` 0-3, `axis` 0-5 (joyx 0-1, joyy 2-3, joyz 4-5).
    virtual void Axis(long update, int port, int axis, float value) {
        (void)update, (void)port, (void)axis, (void)value;
    }
    // The records of update `update` are over (called for each update that has any).
    virtual void UpdateEnd(long update) { (void)update; }
};

class InputTapeReader {
public:
    // `tape` must stay valid while the reader is used. `fields` is how many
    // field indices the owner knows.
    InputTapeReader(const uint8_t* tape, size_t length, int fields);

    // Reads the whole tape without applying it: true when every record is
    // valid and the tape ends with a complete update; `updates` gets their
    // number and `error` what is wrong otherwise. A `visitor` is told of the
    // field and axis records and of each update's end as they are read.
    bool Scan(long* updates, std::string* error, InputTapeVisitor* visitor = nullptr) const;

    // Plays the next update into `device`: its hits and characters are
    // replaced by the update's, everything else changes as recorded. Each
    // field record calls `field(index, value, context)` first. False at the
    // end of the tape (or on a record Scan would refuse).
    bool Next(c_InputDevice* device, void (*field)(int index, uint32_t value, void* context), void* context);

    // Updates played so far.
    long Played() const { return played_; }

private:
    const uint8_t* tape_;
    size_t length_;
    int fields_;
    size_t at_ = 0;
    uint32_t idle_ = 0;  // idle updates still to play
    long played_ = 0;
};

#endif
