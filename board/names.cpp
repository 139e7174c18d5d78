// board/names.cpp - names through ICU, keys through OpenSSL's SHA-256.
#include "board/names.h"

#include <openssl/sha.h>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

#include "board/limits.h"

namespace {

bool AllowedPunctuation(UChar32 c) { return c == ' ' || c == '-' || c == '_' || c == '.'; }

bool IsLetterOrDigit(UChar32 c) {
    return (U_GET_GC_MASK(c) & U_GC_L_MASK) != 0 || u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
}

bool IsMark(UChar32 c) { return (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0; }

// Grapheme clusters in `text`, or -1 when ICU cannot count them.
int Graphemes(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return -1;
    it->setText(text);
    int count = 0;
    it->first();
    while (it->next() != icu::BreakIterator::DONE) ++count;
    return count;
}

}  // namespace

bool ReadPlayerName(const std::string& sent, PlayerName* name, std::string* error) {
    auto fail = [error](const std::string& why) {
        *error = why;
        return false;
    };
    if (sent.size() > limits::kNameBytes) return fail("the name is longer than " + std::to_string(limits::kNameMax) + " characters");
    // Not UTF-8 at all: ICU would put U+FFFD in place of the bad bytes.
    icu::UnicodeString raw = icu::UnicodeString::fromUTF8(sent);
    std::string back;
    raw.toUTF8String(back);
    if (back != sent) return fail("the name is not UTF-8 text");

    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    const icu::Normalizer2* fold = U_SUCCESS(status) ? icu::Normalizer2::getNFKCCasefoldInstance(status) : nullptr;
    if (U_FAILURE(status)) return fail("names cannot be read now (ICU: " + std::string(u_errorName(status)) + ")");
    icu::UnicodeString normal = nfkc->normalize(raw, status);
    if (U_FAILURE(status)) return fail("the name cannot be normalised");

    // Every character allowed; spaces trimmed and each run made one.
    icu::UnicodeString kept;
    bool afterBase = false, pendingSpace = false;
    for (int32_t i = 0; i < normal.length(); i = normal.moveIndex32(i, 1)) {
        UChar32 c = normal.char32At(i);
        if (c == ' ') {
            pendingSpace = !kept.isEmpty();
            afterBase = false;
            continue;
        }
        if (IsMark(c)) {
            if (!afterBase) return fail("the name has a combining mark with no letter or digit before it");
        } else if (IsLetterOrDigit(c)) {
            afterBase = true;
        } else if (AllowedPunctuation(c)) {
            afterBase = false;
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            return fail(std::string("the name holds ") + code +
                        "; a name is letters, digits, spaces and \"-\", \"_\" or \".\"");
        }
        if (pendingSpace) kept.append(static_cast<UChar32>(' '));
        pendingSpace = false;
        kept.append(c);
    }
    int length = Graphemes(kept);
    if (length < limits::kNameMin) return fail("the name is empty");
    if (length > limits::kNameMax)
        return fail("the name is longer than " + std::to_string(limits::kNameMax) + " characters");

    icu::UnicodeString folded = fold->normalize(kept, status);
    if (U_FAILURE(status)) return fail("the name cannot be normalised");
    name->shown.clear();
    name->folded.clear();
    kept.toUTF8String(name->shown);
    folded.toUTF8String(name->folded);
    return true;
}

bool ReadPlayerKey(const std::string& sent, std::string* error) {
    if (sent.size() < limits::kKeyMin || sent.size() > limits::kKeyMax) {
        *error = "the key must be " + std::to_string(limits::kKeyMin) + " to " + std::to_string(limits::kKeyMax) +
                 " characters (at least 128 random bits)";
        return false;
    }
    for (char c : sent) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!ok) {
            *error = "the key holds a character other than letters, digits, \"-\" and \"_\"";
            return false;
        }
    }
    return true;
}

std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : digest) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}
