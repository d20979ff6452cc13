#pragma once

#include <vector>

namespace tavero::test {

// The amplitude of the sine at `frequency` in `samples` (one channel at
// `rate`): about 0.5 for a sine of amplitude 0.5, near 0 where it is absent.
double toneAmplitude(const std::vector<float>& samples, int rate, double frequency);

// The share of the tenths of a second of `samples` in which the sine at
// `frequency` has an amplitude above `least`: how much of a recording the tone
// is heard in. Unlike one amplitude over the whole, it does not depend on how
// the tone's phase jumps where parts of a take were joined.
double toneCoverage(const std::vector<float>& samples, int rate, double frequency, double least);

}  // namespace tavero::test
