#pragma once

#include "sys/Failure.h"

#include <utility>
#include <variant>

namespace ornibe {

// A value, or the failure that stands in its place: what a function that
// gives a value returns when it can fail in a way the code expects. The
// failure is a Failure unless a layer reports one of its own kind (an INF
// file's refusal with its line, a tool's usage error).
template <typename T, typename E = Failure> class Result {
public:
    Result(T value) : held_(std::in_place_index<0>, std::move(value)) {}
    Result(E failure) : held_(std::in_place_index<1>, std::move(failure)) {}

    explicit operator bool() const { return held_.index() == 0; }

    // Only on a result that holds a value.
    T& operator*() & { return std::get<0>(held_); }
    const T& operator*() const& { return std::get<0>(held_); }
    T&& operator*() && { return std::get<0>(std::move(held_)); }
    T* operator->() { return &std::get<0>(held_); }
    const T* operator->() const { return &std::get<0>(held_); }

    // Only on a failed result.
    const E& failure() const { return std::get<1>(held_); }

    // The value, or fallback when it failed.
    T valueOr(T fallback) const& { return *this ? **this : std::move(fallback); }
    T valueOr(T fallback) && { return *this ? std::move(**this) : std::move(fallback); }

private:
    std::variant<T, E> held_;
};

} // namespace ornibe
