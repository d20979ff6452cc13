#pragma once

#include <cmath>
#include <stdexcept>

namespace tavero {

// A NaN or infinity where a JSON number is written: JSON cannot hold it, so
// the whole encoding is refused instead of writing null.
class NonFiniteNumber : public std::domain_error {
public:
    NonFiniteNumber() : std::domain_error("a number that JSON cannot hold") {}
};

inline double finiteNumber(double value) {
    if (!std::isfinite(value)) throw NonFiniteNumber();
    return value;
}

}  // namespace tavero
