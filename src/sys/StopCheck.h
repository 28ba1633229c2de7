#pragma once

#include <functional>

namespace ornibe {

// Tells whether the user asked to stop (Ctrl+C, Cancel); an empty one never
// does. A long read of the source looks at it between pieces of its work and
// ends without writing anything more when it says yes.
using StopCheck = std::function<bool()>;

inline bool stopAsked(const StopCheck& stop) {
    return stop && stop();
}

} // namespace ornibe
