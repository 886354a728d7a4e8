#pragma once

#include "platform/core/failure.h"

#include <optional>

namespace velmora {

// A value or the failure that kept it from being made.
template <typename T>
struct Outcome final
{
    T value{};
    std::optional<Failure> failure;

    bool ok() const { return !failure.has_value(); }
    static Outcome of(T v) { return Outcome{std::move(v), std::nullopt}; }
    static Outcome fail(Failure f) { return Outcome{T{}, std::move(f)}; }
};

} // namespace velmora
