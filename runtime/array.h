// runtime/array.h - Object, ThrowableObject and the collected Array<T>.
//
// Object is the root of every framework and game class. Array<T> is a value
// holding one pointer to its representation, a collected object with the
// length and the elements inline; copies share elements. Every empty array of a
// type is the one permanent Array<T>::Rep::nullRep (colour 3), so creating an
// empty array allocates nothing.
//
// Storing into an array: element access returns a plain reference; a collected
// reference must be stored with gc_assign(arr[i], obj). Assigning an Array to
// an Array variable applies the write barrier to the new representation, so
// array fields and globals may be assigned directly.
//
// Indices are not checked against the length: callers keep them in range.
#ifndef LANTERN_RUNTIME_ARRAY_H
#define LANTERN_RUNTIME_ARRAY_H

#include <new>
#include <type_traits>

#include "runtime/gc.h"
#include "runtime/string.h"

class Object : public gc_object {
public:
    virtual bool Equals(Object* other) { return other == this; }
    virtual int Compare(Object* other);
    virtual String debug();  // "+Object\n"
};

// Base of everything thrown as a runtime error.
class ThrowableObject : public Object {};

template <class T>
class Array {
    // True for element types the collector traces.
    static constexpr bool kTraced =
        std::is_pointer<T>::value &&
        (std::is_base_of<gc_object, typename std::remove_pointer<T>::type>::value ||
         std::is_base_of<gc_interface, typename std::remove_pointer<T>::type>::value);

public:
    struct Rep : public gc_object {
        int length;
        T* data() { return reinterpret_cast<T*>(this + 1); }

        Rep() : length(0) {}
        Rep(gc_permanent_t) : gc_object(gc_permanent), length(0) {}
        explicit Rep(int n) : length(n) {
            if constexpr (std::is_same<T, String>::value) {
                t_create(n, data());
            } else {
                T* d = data();
                for (int i = 0; i < n; ++i) new (d + i) T();
            }
        }
        ~Rep() override {
            if constexpr (std::is_same<T, String>::value) t_destroy(length, data());
        }
        void mark() override {
            if constexpr (kTraced) {
                T* d = data();
                for (int i = 0; i < length; ++i) gc_mark_now(d[i]);
            }
        }
        static Rep* Create(int n) {
            return new (sizeof(Rep) + sizeof(T) * static_cast<std::size_t>(n)) Rep(n);
        }
        static Rep nullRep;
    };
    static_assert(alignof(T) <= 8, "array elements must fit the 8-byte block alignment");
    // Elements are numbers, strings or collected references: anything else
    // could hide references the collector would never see.
    static_assert(std::is_arithmetic<T>::value || std::is_same<T, String>::value || kTraced,
                  "Array elements are numbers, strings or collected references");

    Array() : rep_(&Rep::nullRep) {}
    explicit Array(int length) : rep_(length > 0 ? Rep::Create(length) : &Rep::nullRep) {}
    Array(const T* values, int length) : Array(length) {
        for (int i = 0; i < length; ++i) Store(i, values[i]);
    }
    Array(std::initializer_list<T> values) : Array(static_cast<int>(values.size())) {
        int i = 0;
        for (const T& v : values) Store(i++, v);
    }
    Array(const Array& a) : rep_(a.rep_) {}
    Array& operator=(const Array& a) {
        gc_object* r = a.rep_;
        if (gc_is_white(r)) gc_shade_grey(r);
        rep_ = a.rep_;
        return *this;
    }

    int Length() const { return rep_->length; }
    T& operator[](int i) const { return rep_->data()[i]; }
    T* begin() const { return rep_->data(); }
    T* end() const { return rep_->data() + rep_->length; }
    bool operator==(const Array& a) const { return rep_ == a.rep_; }
    bool operator!=(const Array& a) const { return rep_ != a.rep_; }

    // A new array of `length` elements: the first ones copied, the rest zero.
    Array Resize(int length) const {
        Array r(length);
        int n = length < Length() ? length : Length();
        for (int i = 0; i < n; ++i) r.Store(i, (*this)[i]);
        return r;
    }

    Rep* rep() const { return rep_; }

private:
    void Store(int i, const T& v) {
        if constexpr (kTraced) gc_assign((*this)[i], v);
        else (*this)[i] = v;
    }
    Rep* rep_;
};

template <class T>
typename Array<T>::Rep Array<T>::Rep::nullRep(gc_permanent);

// Marks an array field's representation (mark-into-queue).
template <class T>
inline void gc_mark_q(const Array<T>& a) {
    gc_mark_q(static_cast<gc_object*>(a.rep()));
}

#endif
