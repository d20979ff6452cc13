#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

namespace tavero::heif {

// The type of the HEVC unit `unit` (its two-byte header first).
int unitType(const QByteArray& unit);

// The bits `unit` holds: without the byte 3 that follows each two zero bytes
// a byte of 3 or less follows, there so that no start code shows in a unit.
QByteArray payloadOf(const QByteArray& unit);

inline constexpr int sequenceParametersType = 33;

// The bytes of a sequence parameter set unit, from its header on, that hold
// the size of its pictures: no more are needed.
inline constexpr qint64 sequenceSizeBytes = 256;

// The size of the pictures the sequence parameter set `unit` states (before
// any cropping), from its first sequenceSizeBytes or fewer; none when they
// do not hold it.
std::optional<QSize> sequencePictureSize(const QByteArray& unit);

}  // namespace tavero::heif
