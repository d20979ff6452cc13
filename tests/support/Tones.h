#pragma once

#include <vector>

namespace tavero::test {

// The amplitude of the sine at `frequency` in `samples` (one channel at
// `rate`): about 0.5 for a sine of amplitude 0.5, near 0 where it is absent.
double toneAmplitude(const std::vector<float>& samples, int rate, double frequency);

}  // namespace tavero::test
