#pragma once

#include <QByteArray>

namespace tavero::test {

// Matroska's elements (EBML) as bytes: the ID as written, its length marker
// included, then the size of the content and the content.
namespace ebml {

QByteArray element(quint32 identifier, const QByteArray& content);
QByteArray number(quint32 identifier, quint64 value);
QByteArray decimal(quint32 identifier, double value);

}  // namespace ebml

// A cluster at `milliseconds` holding one keyframe of track `track` (1 for
// the first stream) with `payload`: appended to a file, its last cluster.
QByteArray matroskaCluster(quint64 milliseconds, int track, const QByteArray& payload);

// A Matroska file written element by element, so that a test can put into it
// what no muxer writes: a second of ten 64 × 48 MJPEG pictures of one colour,
// with `info` added to its segment information, `codecPrivate` given to its
// one track and `more` (whole elements of the segment: chapters, attachments,
// tags) placed before the pictures. WebM is the same with its own document
// type.
struct CraftedMatroska {
    QByteArray docType = QByteArrayLiteral("matroska");
    QByteArray info{};
    QByteArray codecPrivate{};
    QByteArray more{};

    QByteArray bytes() const;
};

}  // namespace tavero::test
