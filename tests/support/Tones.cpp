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

double toneCoverage(const std::vector<float>& samples, int rate, double frequency, double least) {
    const size_t window = size_t(rate / 10);
    int windows = 0, heard = 0;
    for (size_t at = 0; at + window <= samples.size(); at += window, ++windows) {
        const std::vector<float> part(samples.begin() + long(at), samples.begin() + long(at + window));
        if (toneAmplitude(part, rate, frequency) > least) ++heard;
    }
    return windows ? double(heard) / windows : 0.0;
}

}  // namespace tavero::test
