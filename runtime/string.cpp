// runtime/string.cpp - String operations, conversions and file loading.
#include "runtime/string.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/array.h"

String::Rep String::nullRep = {1, 0};
const char* str_load_err;

// ---------------------------------------------------------------------------
// Representation
// ---------------------------------------------------------------------------

void String::Rep::release() {
    if (--refs == 0 && length != 0 && this != &nullRep) std::free(this);
}

String::Rep* String::Rep::alloc(int length) {
    Rep* r = static_cast<Rep*>(std::malloc(sizeof(Rep) + sizeof(Char) * static_cast<size_t>(length)));
    if (!r) std::abort();
    r->refs = 1;
    r->length = length;
    return r;
}

String& String::operator=(const String& s) {
    s.rep_->retain();
    rep_->release();
    rep_ = s.rep_;
    return *this;
}

String& String::operator=(String&& s) noexcept {
    if (this != &s) {
        rep_->release();
        rep_ = s.rep_;
        s.rep_ = &nullRep;
    }
    return *this;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

String::String(const Char* chars, int n) : rep_(&nullRep) {
    if (n <= 0) return;
    rep_ = Rep::alloc(n);
    std::memcpy(rep_->data(), chars, sizeof(Char) * n);
}

String::String(const wchar_t* chars, int n) : rep_(&nullRep) {
    if (n <= 0) return;
    rep_ = Rep::alloc(n);
    for (int i = 0; i < n; ++i) rep_->data()[i] = static_cast<Char>(chars[i]);
}

String::String(const char* text) : String(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

String::String(const char* text, int n) : rep_(&nullRep) {
    if (n <= 0) return;
    rep_ = Rep::alloc(n);
    for (int i = 0; i < n; ++i) rep_->data()[i] = static_cast<unsigned char>(text[i]);
}

String::String(int n) : rep_(&nullRep) {
    char buf[16];
    int len = std::snprintf(buf, sizeof buf, "%i", n);
    *this = String(buf, len);
}

String::String(float f) : rep_(&nullRep) {
    char buf[64];
    int len = std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(f));
    if (!std::strchr(buf, '.') && !std::strchr(buf, 'e') && len + 2 < static_cast<int>(sizeof buf)) {
        buf[len++] = '.';
        buf[len++] = '0';
        buf[len] = 0;
    }
    *this = String(buf, len);
}

String String::FromChar(int c) {
    Char ch = static_cast<Char>(c);
    return String(&ch, 1);
}

// ---------------------------------------------------------------------------
// Comparison and concatenation
// ---------------------------------------------------------------------------

bool String::operator==(const String& o) const {
    if (rep_ == o.rep_) return true;
    if (rep_->length != o.rep_->length) return false;
    return std::memcmp(rep_->data(), o.rep_->data(), sizeof(Char) * rep_->length) == 0;
}

int String::Compare(const String& o) const {
    int n = rep_->length < o.rep_->length ? rep_->length : o.rep_->length;
    for (int i = 0; i < n; ++i) {
        int d = static_cast<int>(rep_->data()[i]) - static_cast<int>(o.rep_->data()[i]);
        if (d) return d;
    }
    return rep_->length - o.rep_->length;
}

String String::operator+(const String& o) const {
    if (rep_->length == 0) return o;
    if (o.rep_->length == 0) return *this;
    Rep* r = Rep::alloc(rep_->length + o.rep_->length);
    std::memcpy(r->data(), rep_->data(), sizeof(Char) * rep_->length);
    std::memcpy(r->data() + rep_->length, o.rep_->data(), sizeof(Char) * o.rep_->length);
    return String(r);
}

String operator+(const char* a, const String& b) { return String(a) + b; }

// ---------------------------------------------------------------------------
// Searching and slicing
// ---------------------------------------------------------------------------

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    int n = rep_->length, m = sub.rep_->length;
    const Char* s = rep_->data();
    const Char* t = sub.rep_->data();
    for (int i = start; i + m <= n; ++i) {
        if (std::memcmp(s + i, t, sizeof(Char) * m) == 0) return i;
    }
    return -1;
}

bool String::StartsWith(const String& prefix) const {
    int m = prefix.Length();
    return m <= Length() && std::memcmp(Data(), prefix.Data(), sizeof(Char) * m) == 0;
}

bool String::EndsWith(const String& suffix) const {
    int m = suffix.Length();
    return m <= Length() && std::memcmp(Data() + Length() - m, suffix.Data(), sizeof(Char) * m) == 0;
}

String String::Slice(int from, int to) const {
    int n = rep_->length;
    if (from < 0) {
        from += n;
        if (from < 0) from = 0;
    } else if (from > n) {
        from = n;
    }
    if (to < 0) {
        to += n;
    } else if (to > n) {
        to = n;
    }
    if (to <= from) return String();
    if (from == 0 && to == n) return *this;
    return String(rep_->data() + from, to - from);
}

Array<String> String::Split(const String& sep) const {
    int n = Length();
    if (sep.Length() == 0) {
        Array<String> parts(n);
        for (int i = 0; i < n; ++i) parts[i] = FromChar((*this)[i]);
        return parts;
    }
    int count = 1;
    for (int i = Find(sep); i != -1; i = Find(sep, i + sep.Length())) ++count;
    Array<String> parts(count);
    if (count == 1) {
        parts[0] = *this;
        return parts;
    }
    int piece = 0, start = 0;
    for (int i = Find(sep); i != -1; i = Find(sep, start)) {
        parts[piece++] = Slice(start, i);
        start = i + sep.Length();
    }
    parts[piece] = Slice(start);
    return parts;
}

String String::Replace(const String& find, const String& replacement) const {
    int m = find.Length();
    if (m == 0) return *this;
    int count = 0;
    for (int i = Find(find); i != -1; i = Find(find, i + m)) ++count;
    if (count == 0) return *this;
    int length = Length() + count * (replacement.Length() - m);
    if (length <= 0) return String();
    Rep* r = Rep::alloc(length);
    Char* out = r->data();
    int start = 0;
    for (int i = Find(find); i != -1; i = Find(find, start)) {
        std::memcpy(out, Data() + start, sizeof(Char) * (i - start));
        out += i - start;
        std::memcpy(out, replacement.Data(), sizeof(Char) * replacement.Length());
        out += replacement.Length();
        start = i + m;
    }
    std::memcpy(out, Data() + start, sizeof(Char) * (Length() - start));
    return String(r);
}

String String::ToLower() const {
    int n = Length();
    int first = 0;
    while (first < n && !((*this)[first] >= 'A' && (*this)[first] <= 'Z')) ++first;
    if (first == n) return *this;
    Rep* r = Rep::alloc(n);
    for (int i = 0; i < n; ++i) {
        Char c = (*this)[i];
        r->data()[i] = (c >= 'A' && c <= 'Z') ? static_cast<Char>(c + 32) : c;
    }
    return String(r);
}

// ---------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------

int String::ToInt() const {
    char buf[64];
    int n = Length() < 63 ? Length() : 63;
    for (int i = 0; i < n; ++i) buf[i] = static_cast<char>((*this)[i] & 0xff);
    buf[n] = 0;
    // As atoi reads, but a number beyond the int range (a hand-edited state
    // file) is clamped to it rather than left undefined.
    long long v = std::strtoll(buf, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

std::string String::ToUtf8() const {
    std::string out;
    out.reserve(Length());
    for (int i = 0; i < Length(); ++i) {
        unsigned c = (*this)[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xc0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            out += static_cast<char>(0xe0 | c >> 12);
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

size_t String::Save(FILE* f) const {
    std::string bytes = ToUtf8();
    return std::fwrite(bytes.data(), 1, bytes.size(), f);
}

template <class C>
String::CString<C>::CString(const String& s) {
    int n = s.Length();
    block_ = static_cast<Block*>(std::malloc(sizeof(Block) + sizeof(C) * (n + 1)));
    if (!block_) std::abort();
    block_->refs = 1;
    C* out = block_->chars();
    for (int i = 0; i < n; ++i) out[i] = static_cast<C>(s[i]);
    out[n] = 0;
}

template <class C>
String::CString<C>& String::CString<C>::operator=(const CString& o) {
    ++o.block_->refs;
    if (--block_->refs == 0) std::free(block_);
    block_ = o.block_;
    return *this;
}

template <class C>
String::CString<C>::~CString() {
    if (--block_->refs == 0) std::free(block_);
}

template class String::CString<char>;
template class String::CString<Char>;

// ---------------------------------------------------------------------------
// Loading text
// ---------------------------------------------------------------------------

namespace {

bool is_cont(unsigned char b) { return b >= 0x80 && b <= 0xbf; }

// Decodes UTF-8 (one, two and three byte forms). Returns false on any
// malformed or cut-off sequence.
bool decode_utf8(const unsigned char* p, int n, std::vector<Char>& out) {
    out.clear();
    out.reserve(n);
    int i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<Char>(c));
            i += 1;
        } else if (c >= 0xc0 && c <= 0xdf) {
            if (i + 1 >= n || !is_cont(p[i + 1])) return false;
            out.push_back(static_cast<Char>((c & 0x1f) << 6 | (p[i + 1] & 0x3f)));
            i += 2;
        } else if (c >= 0xe0 && c <= 0xef) {
            if (i + 2 >= n || !is_cont(p[i + 1]) || !is_cont(p[i + 2])) return false;
            out.push_back(static_cast<Char>((c & 0x0f) << 12 | (p[i + 1] & 0x3f) << 6 | (p[i + 2] & 0x3f)));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

String String::FromBytes(const unsigned char* p, int n) {
    str_load_err = nullptr;
    if (n <= 0) return String();
    if (n >= 2 && (p[0] == 0xfe && p[1] == 0xff)) {
        int count = (n - 2) / 2;
        std::vector<Char> chars(count > 0 ? count : 1);
        for (int i = 0; i < count; ++i) chars[i] = static_cast<Char>(p[2 + 2 * i] << 8 | p[3 + 2 * i]);
        return String(chars.data(), count);
    }
    if (n >= 2 && (p[0] == 0xff && p[1] == 0xfe)) {
        int count = (n - 2) / 2;
        std::vector<Char> chars(count > 0 ? count : 1);
        for (int i = 0; i < count; ++i) chars[i] = static_cast<Char>(p[3 + 2 * i] << 8 | p[2 + 2 * i]);
        return String(chars.data(), count);
    }
    if (n >= 3 && p[0] == 0xef && p[1] == 0xbb && p[2] == 0xbf) {
        p += 3;
        n -= 3;
    }
    std::vector<Char> chars;
    if (decode_utf8(p, n, chars)) return String(chars.data(), static_cast<int>(chars.size()));
    str_load_err = "Invalid UTF-8";
    return String(reinterpret_cast<const char*>(p), n);
}

String String::FromUtf8(const std::string& bytes) {
    return FromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

String String::Load(FILE* f) {
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    for (;;) {
        size_t got = std::fread(block, 1, sizeof block, f);
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block) break;
    }
    return FromBytes(bytes.data(), static_cast<int>(bytes.size()));
}

// ---------------------------------------------------------------------------
// Array element hooks
// ---------------------------------------------------------------------------

void t_create(int n, String* p) {
    for (int i = 0; i < n; ++i) new (p + i) String();
}

void t_create(int n, String* p, const String* src) {
    for (int i = 0; i < n; ++i) new (p + i) String(src[i]);
}

void t_destroy(int n, String* p) {
    for (int i = 0; i < n; ++i) p[i].~String();
}
