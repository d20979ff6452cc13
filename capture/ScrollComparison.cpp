#include "capture/ScrollComparison.h"

#include "capture/ScrollMessages.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"

namespace tavero {

namespace {
// Below this mean difference of the signatures the frame counts as unchanged.
constexpr double unchangedDifference = 0.25;
}  // namespace

ScrollComparison ScrollComparison::of(const QImage& frame, const QByteArray& acceptedSignature, const QImage& last,
                                      const ScrollComposite& composite) {
    ScrollComparison result;
    result.signature = ImageOps::scrollSignature(frame);
    result.unchanged = ImageOps::scrollDifference(acceptedSignature, result.signature) < unchangedDifference;
    if (result.unchanged) return result;
    try {
        const std::optional<int> overlap = ImageOps::scrollOverlap(last, frame);
        if (!overlap) result.message = ScrollMessages::notAligned();
        else if (*overlap >= 1) result.composite = composite.joined(frame, *overlap);
    } catch (const ShotError& error) {
        result.message = error.message();
    }
    return result;
}

}  // namespace tavero
