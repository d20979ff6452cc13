#pragma once

#include "platform/media/CancelToken.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tavero::media {

enum class TrackKind { video, sound };

// What must be the same in two tracks for their packets to follow each
// other in one stream unchanged: the codec, the picture's size or the sound's
// rate and channels, and the decoder's setup bytes, which for H.264 and HEVC
// hold the parameter sets (profile, pixel format, bit depth) and for AAC the
// sound's configuration. The pixel or sample format stands apart only where
// the container names it (readTracks decodes nothing); -1 otherwise.
struct TrackCoding {
    int codec = 0;
    int width = 0;
    int height = 0;
    int format = -1;
    int sampleRate = 0;
    int channels = 0;
    QByteArray extradata;

    friend bool operator==(const TrackCoding&, const TrackCoding&) = default;
};

// One video or sound track of a media file.
struct MediaTrack {
    TrackKind kind = TrackKind::video;
    // The stream's index in its file.
    int stream = 0;
    // Its handler name: our camera parts tag their sound "system" and "mic".
    QString tag;
    TrackCoding coding;
    // Seconds the header declares for the track (the file's, when the track
    // declares none); 0 when neither does.
    double length = 0;
};

// The video tracks (cover pictures left out) and sound tracks of `path`, in
// file order, as the container's header gives them. Blocks; any thread.
// Throws MediaError.
QList<MediaTrack> readTracks(const QString& path, const CancelToken& cancel = {});

}  // namespace tavero::media
