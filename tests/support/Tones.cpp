#include "tests/support/Tones.h"

#include <cmath>
#include <numbers>

namespace tavero::test {

double toneAmplitude(const std::vector<float>& samples, int rate, double frequency) {
    if (samples.empty()) return 0;
    // Goertzel's filter for one frequency.
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double previous = 0, beforePrevious = 0;
    for (float sample : samples) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(samples.size());
}

}  // namespace tavero::test
