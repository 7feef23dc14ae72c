// Forced into every file of the WebAssembly build: the C++ library of
// Debian's Emscripten (libc++ 13) lacks a few C++20 pieces that the engine
// uses, and includes fewer headers from its own than GCC's library does.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From), "bit_cast needs types of one size");
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#include <atomic>

#if !defined(__cpp_lib_atomic_ref)
namespace std {
// The part of atomic_ref the engine uses: relaxed loads and stores of a word
// that several search threads share.
template <class T>
struct atomic_ref {
    explicit atomic_ref(T& object) noexcept : Object(&object) {}
    T load(memory_order order = memory_order_seq_cst) const noexcept { return __atomic_load_n(Object, int(order)); }
    void store(T value, memory_order order = memory_order_seq_cst) const noexcept {
        __atomic_store_n(Object, value, int(order));
    }
    T* Object;
};
}  // namespace std
#endif
