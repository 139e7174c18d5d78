// input/input_tape.cpp - recording and playing back the input of updates.
#include "input/input_tape.h"

#include <cmath>
#include <cstring>

#include "input/device.h"

namespace {

enum Tag : uint8_t {
    kTagKeyDown = 1,
    kTagKeyUp = 2,
    kTagHit = 3,
    kTagChar = 4,
    kTagPointer = 5,
    kTagTouch = 6,
    kTagAccel = 7,
    kTagAxis = 8,
    kTagField = 9,
    kTagEnd = 10,
    kTagIdle = 11,
};

const int kKeys = 512;
const int kFingers = 32;
const int kPorts = 4;
const int kAxes = 6;  // joyx 0-1, joyy 2-3, joyz 4-5
const float kWholeLimit = 16777216.0f;  // 2^24: whole coordinates below it are written as integers

uint32_t float_bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

float bits_float(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// Compares floats by their bits: a NaN from a pad still counts as unchanged.
bool same(float a, float b) { return float_bits(a) == float_bits(b); }

float* axis_slot(c_JoyState* joy, int axis) {
    Array<float>& a = axis < 2 ? joy->m_joyx : (axis < 4 ? joy->m_joyy : joy->m_joyz);
    return &a[axis % 2];
}

// Reads records from a tape, checking each against the device's limits.
class Cursor {
public:
    Cursor(const uint8_t* p, size_t length, size_t at) : p_(p), length_(length), at_(at) {}

    bool More() const { return at_ < length_; }
    size_t At() const { return at_; }
    bool Failed() const { return failed_; }

    uint8_t Byte() {
        if (at_ >= length_) return Fail();
        return p_[at_++];
    }
    uint32_t Varint() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            uint8_t b = Byte();
            if (failed_) return 0;
            if (shift == 28 && b > 0x0f) return Fail();
            v |= static_cast<uint32_t>(b & 0x7f) << shift;
            if (!(b & 0x80)) return v;
        }
        return Fail();
    }
    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }
    float Coordinate() {
        uint32_t v = Varint();
        if (v & 1) return bits_float(Word());
        uint32_t z = v >> 1;
        int32_t whole = static_cast<int32_t>(z >> 1) ^ -static_cast<int32_t>(z & 1);
        return static_cast<float>(whole);
    }
    int Fail() {
        failed_ = true;
        return 0;
    }

private:
    const uint8_t* p_;
    size_t length_;
    size_t at_;
    bool failed_ = false;
};

// What one update's records do to a device (or, without one, only checks them).
struct UpdateReader {
    Cursor& in;
    int fields;
    c_InputDevice* device;
    void (*field)(int, uint32_t, void*);
    void* context;
    InputTapeVisitor* visitor;
    long update;  // its number on the tape, for the visitor
    int hits = 0, chars = 0;

    // Reads records up to the update's end. Returns false on a bad record.
    bool Run() {
        for (;;) {
            uint8_t tag = in.Byte();
            if (in.Failed()) return false;
            if (tag == kTagEnd) {
                if (visitor) visitor->UpdateEnd(update);
                return true;
            }
            if (!Record(tag) || in.Failed()) return false;
        }
    }

    bool Record(uint8_t tag) {
        switch (tag) {
            case kTagKeyDown:
            case kTagKeyUp: {
                uint32_t code = in.Varint();
                if (code < 1 || code >= kKeys) return false;
                if (device) device->m_keyDown[static_cast<int>(code)] = tag == kTagKeyDown;
                return true;
            }
            case kTagHit: {
                uint32_t code = in.Varint();
                if (code < 1 || code >= kKeys || hits >= c_InputDevice::kHitQueue) return false;
                if (device) {
                    device->m_keyHit[static_cast<int>(code)] += 1;
                    device->m_keyHitQueue[device->m_keyHitPut++] = static_cast<int>(code);
                }
                ++hits;
                return true;
            }
            case kTagChar: {
                uint32_t c = in.Varint();
                if (c > 0x7fffffffu || chars >= c_InputDevice::kCharQueue) return false;
                if (device) device->m_charQueue[device->m_charPut++] = static_cast<int>(c);
                ++chars;
                return true;
            }
            case kTagPointer: {
                float x = in.Coordinate(), y = in.Coordinate();
                if (device) {
                    device->m_mouseX = x;
                    device->m_mouseY = y;
                }
                return true;
            }
            case kTagTouch: {
                uint8_t finger = in.Byte();
                float x = in.Coordinate(), y = in.Coordinate();
                if (finger >= kFingers) return false;
                if (device) {
                    device->m_touchX[finger] = x;
                    device->m_touchY[finger] = y;
                }
                return true;
            }
            case kTagAccel: {
                float x = bits_float(in.Word()), y = bits_float(in.Word()), z = bits_float(in.Word());
                if (device) {
                    device->m_accelX = x;
                    device->m_accelY = y;
                    device->m_accelZ = z;
                }
                return true;
            }
            case kTagAxis: {
                uint8_t slot = in.Byte();
                float v = bits_float(in.Word());
                if (slot >= kPorts * kAxes) return false;
                if (device) *axis_slot(device->m_joyStates[slot / kAxes], slot % kAxes) = v;
                if (visitor) visitor->Axis(update, slot / kAxes, slot % kAxes, v);
                return true;
            }
            case kTagField: {
                uint32_t index = in.Varint();
                uint32_t v = in.Word();
                if (in.Failed() || index >= static_cast<uint32_t>(fields)) return false;
                if (field) field(static_cast<int>(index), v, context);
                if (visitor) visitor->Field(update, static_cast<int>(index), v);
                return true;
            }
        }
        return false;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

InputTapeWriter::InputTapeWriter(size_t reserveBytes) {
    bytes_.reserve(reserveBytes);
    Begin();
}

void InputTapeWriter::Begin() {
    bytes_.clear();
    updates_ = 0;
    idle_ = 0;
    updateHasRecord_ = false;
    std::memset(keyDown_, 0, sizeof keyDown_);
    mouseX_ = mouseY_ = 0;
    for (int i = 0; i < kFingers; ++i) touchX_[i] = touchY_[i] = 0;
    accel_[0] = accel_[1] = accel_[2] = 0;
    for (auto& port : axes_)
        for (float& a : port) a = 0;
}

void InputTapeWriter::FlushIdle() {
    if (!idle_) return;
    bytes_.push_back(kTagIdle);
    Varint(idle_);
    idle_ = 0;
}

void InputTapeWriter::Tag(uint8_t tag) {
    if (!updateHasRecord_) {
        FlushIdle();
        updateHasRecord_ = true;
    }
    bytes_.push_back(tag);
}

void InputTapeWriter::Varint(uint32_t v) {
    while (v >= 0x80) {
        bytes_.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    bytes_.push_back(static_cast<uint8_t>(v));
}

void InputTapeWriter::Word(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void InputTapeWriter::Coordinate(float v) {
    if (std::trunc(v) == v && std::fabs(v) < kWholeLimit && !(v == 0 && std::signbit(v))) {
        int32_t whole = static_cast<int32_t>(v);
        uint32_t zigzag = (static_cast<uint32_t>(whole) << 1) ^ static_cast<uint32_t>(whole >> 31);
        Varint(zigzag << 1);
        return;
    }
    Varint(1);
    Word(float_bits(v));
}

void InputTapeWriter::Field(int index, uint32_t value) {
    Tag(kTagField);
    Varint(static_cast<uint32_t>(index));
    Word(value);
}

void InputTapeWriter::Input(const c_InputDevice& d) {
    for (int code = 1; code < kKeys; ++code) {
        bool down = d.m_keyDown[code];
        if (down == keyDown_[code]) continue;
        keyDown_[code] = down;
        Tag(down ? kTagKeyDown : kTagKeyUp);
        Varint(static_cast<uint32_t>(code));
    }
    for (int i = 0; i < d.m_keyHitPut; ++i) {
        Tag(kTagHit);
        Varint(static_cast<uint32_t>(d.m_keyHitQueue[i]));
    }
    for (int i = 0; i < d.m_charPut; ++i) {
        Tag(kTagChar);
        Varint(static_cast<uint32_t>(d.m_charQueue[i]));
    }
    if (!same(d.m_mouseX, mouseX_) || !same(d.m_mouseY, mouseY_)) {
        mouseX_ = d.m_mouseX;
        mouseY_ = d.m_mouseY;
        Tag(kTagPointer);
        Coordinate(mouseX_);
        Coordinate(mouseY_);
    }
    for (int f = 0; f < kFingers; ++f) {
        if (same(d.m_touchX[f], touchX_[f]) && same(d.m_touchY[f], touchY_[f])) continue;
        touchX_[f] = d.m_touchX[f];
        touchY_[f] = d.m_touchY[f];
        Tag(kTagTouch);
        bytes_.push_back(static_cast<uint8_t>(f));
        Coordinate(touchX_[f]);
        Coordinate(touchY_[f]);
    }
    if (!same(d.m_accelX, accel_[0]) || !same(d.m_accelY, accel_[1]) || !same(d.m_accelZ, accel_[2])) {
        accel_[0] = d.m_accelX;
        accel_[1] = d.m_accelY;
        accel_[2] = d.m_accelZ;
        Tag(kTagAccel);
        for (float a : accel_) Word(float_bits(a));
    }
    for (int port = 0; port < kPorts; ++port) {
        c_JoyState* joy = d.m_joyStates[port];
        for (int axis = 0; axis < kAxes; ++axis) {
            float v = *axis_slot(joy, axis);
            if (same(v, axes_[port][axis])) continue;
            axes_[port][axis] = v;
            Tag(kTagAxis);
            bytes_.push_back(static_cast<uint8_t>(port * kAxes + axis));
            Word(float_bits(v));
        }
    }
}

void InputTapeWriter::EndUpdate() {
    ++updates_;
    if (updateHasRecord_) {
        bytes_.push_back(kTagEnd);
        updateHasRecord_ = false;
    } else if (++idle_ == 0xffffffffu) {
        FlushIdle();
    }
}

void InputTapeWriter::Finish() { FlushIdle(); }

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

InputTapeReader::InputTapeReader(const uint8_t* tape, size_t length, int fields)
    : tape_(tape), length_(length), fields_(fields) {}

bool InputTapeReader::Scan(long* updates, std::string* error, InputTapeVisitor* visitor) const {
    Cursor in(tape_, length_, 0);
    long n = 0;
    while (in.More()) {
        size_t start = in.At();
        uint8_t tag = in.Byte();
        bool ok;
        if (tag == kTagIdle) {
            uint32_t count = in.Varint();
            ok = !in.Failed() && count > 0;
            n += count;
        } else {
            Cursor again(tape_, length_, start);
            UpdateReader update{again, fields_, nullptr, nullptr, nullptr, visitor, n};
            ok = update.Run();
            in = again;
            ++n;
        }
        if (!ok) {
            if (error) *error = "bad input record at byte " + std::to_string(start);
            return false;
        }
    }
    *updates = n;
    return true;
}

bool InputTapeReader::Next(c_InputDevice* device, void (*field)(int, uint32_t, void*), void* context) {
    device->p_EndUpdate();
    if (idle_ > 0) {
        --idle_;
        ++played_;
        return true;
    }
    if (at_ >= length_) return false;
    Cursor in(tape_, length_, at_);
    if (tape_[at_] == kTagIdle) {
        in.Byte();
        uint32_t count = in.Varint();
        if (in.Failed() || count == 0) return false;
        at_ = in.At();
        idle_ = count - 1;
        ++played_;
        return true;
    }
    UpdateReader update{in, fields_, device, field, context, nullptr, played_};
    if (!update.Run()) return false;
    at_ = in.At();
    ++played_;
    return true;
}
