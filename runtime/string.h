// runtime/string.h - the runtime's one text type.
//
// A String is an immutable sequence of 16-bit character codes in a shared,
// reference-counted representation (Rep: count, length, characters in one
// block). Copying a String counts a reference; nothing ever writes into a Rep
// that has been handed out. A String is never null: the empty string is the one
// static String::nullRep, which is never freed, so every operation that yields
// an empty result points there instead of allocating.
//
// Strings are not collected objects; their memory is governed by the count
// alone, which is a plain int: a String must not be shared between threads.
#ifndef LANTERN_RUNTIME_STRING_H
#define LANTERN_RUNTIME_STRING_H

#include <cstdio>
#include <string>

template <class T>
class Array;

typedef char16_t Char;

class String {
public:
    struct Rep {
        int refs;
        int length;
        Char* data() { return reinterpret_cast<Char*>(this + 1); }
        const Char* data() const { return reinterpret_cast<const Char*>(this + 1); }
        void retain() { ++refs; }
        void release();  // frees the block when the last reference goes (never a length-0 Rep)
        static Rep* alloc(int length);  // count 1, characters uninitialised; length > 0
    };
    static Rep nullRep;

    // A temporary zero-terminated copy of the text (8-bit: the low byte of
    // each character; 16-bit: the units unchanged), reference counted so it
    // can be passed around by value; freed with its last copy.
    template <class C>
    class CString {
    public:
        explicit CString(const String& s);
        CString(const CString& o) : block_(o.block_) { ++block_->refs; }
        CString& operator=(const CString& o);
        ~CString();
        const C* c_str() const { return block_->chars(); }
        operator const C*() const { return c_str(); }

    private:
        struct Block {
            int refs;
            C* chars() { return reinterpret_cast<C*>(this + 1); }
        };
        Block* block_;
    };

    String() : rep_(&nullRep) {}
    String(const String& s) : rep_(s.rep_) { rep_->retain(); }
    String(String&& s) noexcept : rep_(s.rep_) { s.rep_ = &nullRep; }
    ~String() { rep_->release(); }
    String& operator=(const String& s);
    String& operator=(String&& s) noexcept;

    String(const Char* chars, int n);
    String(const wchar_t* chars, int n);  // each wchar_t narrowed to 16 bits
    String(const char* text);             // one character per byte
    String(const char* text, int n);
    explicit String(int n);
    explicit String(float f);
    static String FromChar(int c);
    static String FromUtf8(const std::string& bytes);  // same decoding rules as Load

    int Length() const { return rep_->length; }
    Char operator[](int i) const { return rep_->data()[i]; }
    const Char* Data() const { return rep_->data(); }
    bool Empty() const { return rep_->length == 0; }

    bool operator==(const String& o) const;
    bool operator!=(const String& o) const { return !(*this == o); }
    bool operator<(const String& o) const { return Compare(o) < 0; }
    int Compare(const String& o) const;
    String operator+(const String& o) const;
    String& operator+=(const String& o) { return *this = *this + o; }

    // First index >= max(start, 0) where `sub` occurs, or -1. An empty `sub`
    // is found at the start index when that lies within the string.
    int Find(const String& sub, int start = 0) const;
    bool Contains(const String& sub) const { return Find(sub) != -1; }
    bool StartsWith(const String& prefix) const;
    bool EndsWith(const String& suffix) const;

    String Slice(int from) const { return Slice(from, rep_->length); }
    String Slice(int from, int to) const;
    Array<String> Split(const String& separator) const;
    // Replacing an empty `find` returns the input unchanged.
    String Replace(const String& find, const String& replacement) const;
    String ToLower() const;  // ASCII letters only

    int ToInt() const;  // as C atoi on the first 63 characters, low bytes

    CString<char> ToCString() const { return CString<char>(*this); }
    CString<Char> ToWString() const { return CString<Char>(*this); }
    std::string ToUtf8() const;  // each unit on its own, 1 to 3 bytes

    // Reads a whole file: UTF-16 with a byte-order mark, else UTF-8 (optional
    // mark); invalid UTF-8 falls back to one character per byte and sets
    // str_load_err.
    static String Load(FILE* f);
    static String FromBytes(const unsigned char* bytes, int n);  // the decoding rules of Load
    // Writes the text as UTF-8 without a byte-order mark. Returns the bytes
    // written (short on a write error).
    size_t Save(FILE* f) const;

private:
    explicit String(Rep* rep) : rep_(rep) {}  // adopts one reference
    Rep* rep_;
};

String operator+(const char* a, const String& b);

// Null after a successful String::Load; "Invalid UTF-8" after one that fell
// back to bytes.
extern const char* str_load_err;

// Array element lifecycle hooks for String (construct empty, copy, release).
void t_create(int n, String* p);
void t_create(int n, String* p, const String* src);
void t_destroy(int n, String* p);

#endif
