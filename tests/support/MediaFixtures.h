#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavero::test {

// An audio track of a fixture: a steady sine tone, tagged like our camera
// parts tag their inputs (the track's handler name).
struct ToneTrack {
    QString tag;
    int frequency = 440;
};

inline const ToneTrack systemTone{QStringLiteral("system"), 440};
inline const ToneTrack micTone{QStringLiteral("mic"), 1000};

// A synthetic MP4 made with FFmpeg's command line (tests only): a moving test
// picture tagged with our colour description, AAC tones at 48 kHz stereo,
// no B-frames and a keyframe every second like our own parts.
struct VideoFixture {
    double duration = 2.0;
    QSize size{320, 240};
    int rate = 30;
    // "libx264" or "libx265"; empty for a file without video.
    QString codec = QStringLiteral("libx264");
    QList<ToneTrack> audio{};
    // Written as our parts are: one fragment per keyframe, so a cut file keeps
    // every whole second before the cut. Otherwise a plain MP4 whose index
    // comes last.
    bool fragmented = false;
    // Keep only this many bytes, as a writer killed mid-file leaves it.
    std::optional<qint64> truncateAt{};
};

// Writes `fixture` to `path`; a failure fails the test (check with
// ASSERT_NO_FATAL_FAILURE or HasFatalFailure).
void makeVideo(const QString& path, const VideoFixture& fixture);

// Cuts the file to its first `bytes`.
void truncateFile(const QString& path, qint64 bytes);

// What ffprobe prints for `arguments` followed by `path` (default output
// format); a failure fails the test and gives an empty text.
QString ffprobe(const QStringList& arguments, const QString& path);

// Byte offsets of the video keyframes, in file order.
QList<qint64> keyframeOffsets(const QString& path);

}  // namespace tavero::test
