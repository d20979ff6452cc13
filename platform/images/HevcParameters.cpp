#include "platform/images/HevcParameters.h"

#include <climits>

namespace tavero::heif {

namespace {

// The bits of a unit's payload, first bit first; reading past the end fails.
class Bits {
public:
    explicit Bits(const QByteArray& unit) : bytes_(payloadOf(unit)) {}

    bool failed() const { return failed_ || at_ > end(); }

    void skip(qint64 count) { at_ += count; }

    quint32 read(int count) {
        quint32 value = 0;
        for (int bit = 0; bit < count; ++bit, ++at_) {
            if (at_ >= end()) {
                failed_ = true;
                return 0;
            }
            value = value << 1 | (quint8(bytes_[at_ / 8]) >> (7 - at_ % 8) & 1);
        }
        return value;
    }

    // Unsigned exp-Golomb: as many zeros as bits follow the first one.
    quint32 readExpGolomb() {
        int zeros = 0;
        while (read(1) == 0 && !failed())
            if (++zeros > 31) failed_ = true;
        return quint32((quint64(1) << zeros) - 1) + read(zeros);
    }

private:
    qint64 end() const { return qint64(bytes_.size()) * 8; }

    QByteArray bytes_;
    qint64 at_ = 0;
    bool failed_ = false;
};

// Passes over the profile, tier and level of a sequence of `subLayers` more
// layers than one.
void skipProfileTierLevel(Bits& bits, int subLayers) {
    constexpr int profileBits = 88, levelBits = 8;
    bits.skip(profileBits + levelBits);
    bool profilePresent[8] = {}, levelPresent[8] = {};
    for (int layer = 0; layer < subLayers; ++layer) {
        profilePresent[layer] = bits.read(1) != 0;
        levelPresent[layer] = bits.read(1) != 0;
    }
    if (subLayers > 0) bits.skip(2 * (8 - subLayers));
    for (int layer = 0; layer < subLayers; ++layer)
        bits.skip((profilePresent[layer] ? profileBits : 0) + (levelPresent[layer] ? levelBits : 0));
}

}  // namespace

int unitType(const QByteArray& unit) { return unit.isEmpty() ? -1 : quint8(unit.at(0)) >> 1 & 0x3f; }

QByteArray payloadOf(const QByteArray& unit) {
    QByteArray payload;
    int zeros = 0;
    for (const char byte : unit) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        payload += byte;
    }
    return payload;
}

std::optional<QSize> sequencePictureSize(const QByteArray& unit) {
    constexpr int fullChroma = 3, maxSubLayers = 7;
    Bits bits(unit);
    bits.skip(16 + 4);  // the unit's header, the video parameter set's id
    const int subLayers = int(bits.read(3));
    if (subLayers >= maxSubLayers) return std::nullopt;
    bits.skip(1);
    skipProfileTierLevel(bits, subLayers);
    bits.readExpGolomb();  // its own id
    if (bits.readExpGolomb() == fullChroma) bits.skip(1);
    const quint32 width = bits.readExpGolomb(), height = bits.readExpGolomb();
    if (bits.failed() || width > quint32(INT_MAX) || height > quint32(INT_MAX)) return std::nullopt;
    return QSize(int(width), int(height));
}

}  // namespace tavero::heif
