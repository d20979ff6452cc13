#pragma once

#include "platform/ShotError.h"

#include <utility>
#include <variant>

namespace tavero {

// The value of a Result that carries nothing but success.
using Done = std::monostate;

// A value or the ShotError that prevented it: what background work hands back
// to the main thread instead of throwing across threads.
template <typename T>
class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(ShotError error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const ShotError& error() const { return std::get<ShotError>(state_); }

private:
    std::variant<T, ShotError> state_;
};

// Runs `work` and captures a ShotError it throws; any other exception becomes
// `fallback`, so nothing escapes a worker thread.
template <typename Work>
auto capture(Work&& work, const QString& fallback) -> Result<decltype(work())> {
    try {
        return work();
    } catch (const ShotError& error) {
        return error;
    } catch (...) {
        return ShotError(fallback);
    }
}

}  // namespace tavero
