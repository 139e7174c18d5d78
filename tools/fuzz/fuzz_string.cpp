// tools/fuzz/fuzz_string.cpp - turning file bytes into a String.
//
// Beyond not crashing: String::Load reads the same as String::FromBytes, and
// whatever was read survives being saved (as UTF-8) and read again, which is
// what the state file relies on.
#include <string>

#include "fuzz_common.h"
#include "runtime/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    String text = String::FromBytes(data, static_cast<int>(size));
    bool fellBack = str_load_err != nullptr;
    FuzzCheck(text.Length() <= static_cast<int>(size));

    MemoryFile file(data, size);
    String loaded = String::Load(file.get());
    FuzzCheck(loaded == text);
    FuzzCheck((str_load_err != nullptr) == fellBack);

    // A leading U+FEFF is written as a UTF-8 byte-order mark, which reading
    // drops again; every other text comes back unit for unit.
    std::string saved = text.ToUtf8();
    String again = String::FromUtf8(saved);
    FuzzCheck(str_load_err == nullptr);
    if (text.Empty() || text[0] != 0xfeff) FuzzCheck(again == text);
    return 0;
}
