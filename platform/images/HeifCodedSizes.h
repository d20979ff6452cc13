#pragma once

#include "platform/images/HeifBoxReading.h"

#include <QHash>
#include <QSet>

#include <optional>

namespace tavero::heif {

// The pixels of the HEVC-coded pictures among `items` that the boxes of a
// HEIF file's description, `described`, tell of: the size their sequence
// parameter sets state, in their decoder setup or among the units of their
// coded data, which the decoder makes room for whatever the size boxes
// declare; once for each place they stand in (`places`, by item), or once.
// None when a picture's parameter sets state more than codedSideAllowance of
// the size it declares, or it declares none, or they cannot be read, or the
// tables that tell of them are larger than any picture needs. Each property,
// and each entry of the tables, is read once, however often it is named.
std::optional<qint64> codedPixels(QIODevice& device, const QList<Box>& described, const QSet<quint64>& items,
                                  const QHash<quint64, qint64>& places);

}  // namespace tavero::heif
