#pragma once

#include "capture/ScrollComposite.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace tavero {

// What one new frame of a scrolling screenshot brings, compared with the
// last accepted frame: a longer composite, or a message for the bar, or
// neither (nothing moved).
struct ScrollComparison {
    std::optional<ScrollComposite> composite;
    std::optional<QString> message;
    // The frame's signature barely differs from the accepted one.
    bool unchanged = false;
    QByteArray signature;

    // A pure function of its arguments, for a worker thread. A cheap
    // signature test screens out unchanged frames before the alignment
    // search; doubtful alignments and refused joins become messages.
    static ScrollComparison of(const QImage& frame, const QByteArray& acceptedSignature, const QImage& last,
                               const ScrollComposite& composite);
};

}  // namespace tavero
