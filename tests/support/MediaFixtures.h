#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace tavero::test {

// An audio track of a fixture: a steady sine tone, tagged like our camera
// parts tag their inputs (the track's handler name).
struct ToneTrack {
    QString tag;
    int frequency = 440;
};

inline const ToneTrack systemTone{QStringLiteral("system"), 440};
inline const ToneTrack micTone{QStringLiteral("mic"), 660};

// A still picture whose quarters tell how it is turned: red top left, green
// top right, blue bottom left, yellow bottom right.
inline const QList<QColor> quarterColours{QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                                          QColor(255, 255, 0)};

// The colour at the middle of each quarter of `picture`, in the order of
// quarterColours.
QList<QColor> quartersOf(const QImage& picture);
// Whether `found` holds `wanted`, each channel within `tolerance`.
bool sameColours(const QList<QColor>& found, const QList<QColor>& wanted, int tolerance = 24);
// How alike two pictures are over `area` (all of `a` when empty), as the
// peak signal-to-noise ratio of their red, green and blue in dB; 99 when
// they are the same.
double psnr(const QImage& a, const QImage& b, QRect area = {});

// A synthetic MP4 made with FFmpeg's command line (tests only): a moving test
// picture tagged with our colour description, AAC tones in stereo,
// no B-frames and a keyframe every second like our own parts.
struct VideoFixture {
    double duration = 2.0;
    QSize size{320, 240};
    int rate = 30;
    // "libx264" or "libx265"; empty for a file without video.
    QString codec = QStringLiteral("libx264");
    QString pixelFormat = QStringLiteral("yuv420p");
    QList<ToneTrack> audio{};
    // Of the tones; our own parts' sound is 48 kHz.
    int sampleRate = 48000;
    // Of the tones: AAC, or PCM as cameras write it ("pcm_s16le", "pcm_s24le").
    QString soundCodec = QStringLiteral("aac");
    // Written as our parts are: one fragment per keyframe, so a cut file keeps
    // every whole second before the cut. Otherwise a plain MP4 whose index
    // comes last.
    bool fragmented = false;
    // A plain MP4 with its index in front, as a finished export is: cut
    // short, it still plays up to the cut.
    bool indexFirst = false;
    // Keep only this many bytes, as a writer killed mid-file leaves it; or
    // as many more with zeros after the video, as `truncate -s` leaves them.
    std::optional<qint64> truncateAt{};
    // The still quarters picture in place of the moving one.
    bool quarters = false;
    // Degrees of the display matrix a phone writes (FFmpeg's "rotate" tag:
    // 90 shows the pictures turned a quarter anticlockwise); 0 for none.
    int rotation = 0;
    // How wide a pixel shows against its height (FFmpeg's setsar, "16/15");
    // empty for square pixels.
    QString pixelAspect{};
    // The container, as FFmpeg's muxers are named ("matroska", "mpegts",
    // "avi"...), whatever the file's name says.
    QString container = QStringLiteral("mp4");
    // The length the header declares instead (an MP4's movie header, at most
    // 4294967 s; Matroska's segment).
    std::optional<double> declaredSeconds{};
    // Coded with the encoder's own settings (veryfast), as cameras and
    // converters code: B-frames, and a keyframe only every 250 pictures or
    // where the scene changes.
    bool encoderDefaults = false;
    // Written as a live stream is (FFmpeg's -live): Matroska without its
    // length and its index.
    bool live = false;
    // No pictures from the first second to the second, as a browser's
    // recorder writes a still canvas; the pictures after keep their times.
    std::optional<std::pair<double, double>> pause{};
    // This many random bytes put in the middle of the file, as a failing
    // disk or a broken transfer leaves it.
    qint64 damage = 0;
};

// FFmpeg's lavfi source of the still quarters picture at `size`, `rate`
// pictures a second for `duration` seconds.
QString quartersSource(QSize size, int rate, double duration);

// Writes `fixture` to `path`; a failure fails the test (check with
// ASSERT_NO_FATAL_FAILURE or HasFatalFailure).
void makeVideo(const QString& path, const VideoFixture& fixture);

// An MPEG-TS as a recording joined late writes it: `soundAlone` seconds of
// its sound alone, then the still quarters (or the moving test picture) at
// 320 × 240, 25 a second and a keyframe every second, with the sound for
// `seconds` more; the pictures are named in the programme's table only where
// they begin.
void makeLatePicturesStream(const QString& path, double soundAlone, double seconds, bool moving = false);
// Leaves the programme tables out of an MPEG-TS that FFmpeg's command line
// wrote, as a capture of a broadcast's pictures and sound alone holds them.
void leaveOutTransportTables(const QString& path);
// An MPEG-TS of the moving 320 × 240 picture at 25 a second whose coding
// switches from `first` ("libx264" or "libx265") to `second` midway, under
// the same stream: two files of `seconds` each laid end to end, the
// second's pictures of `secondSize`.
void makeSwitchingStream(const QString& path, const QString& first, const QString& second, double seconds,
                         QSize secondSize = QSize(320, 240));

// A QuickTime movie of 720p pictures stored raw at 25 a second (46 MB a
// second, 368 Mbit/s) with a 1 kHz stereo AAC tone all along, `duration`
// seconds long: a second of sound lies some 46 MB from its pictures.
void makeHeavyVideo(const QString& path, double duration);

// An MP4 of one small video stream (1 s of 64 × 48) copied `pictures` times
// and its AAC stream copied `sounds` times: a few kilobytes a stream; or
// that in another `container` (FFmpeg's muxer's name).
void makeManyStreams(const QString& path, int pictures, int sounds, const QString& container = QStringLiteral("mp4"));

// A QuickTime movie of `seconds` of 160 × 120 pictures with a 1 kHz tone at
// half of full scale in each of `channels` PCM channels, which name no
// layout.
void makeUnnamedChannels(const QString& path, int channels, double seconds);

// An MP4 of two pictures of 64 × 48, the second `seconds` after the first,
// which shows as long again: a video as long as any.
void makeSparseVideo(const QString& path, double seconds);

// Files named like videos that hold no picture to read: cut short before
// the index at their end, with that index zeroed, empty, plain text, sound
// alone, and pictures whose own headers claim 16384 × 16384 (more than a
// decoder takes) in a track that says 64 × 48; made in `folder` by FFmpeg's
// command line.
QStringList makeUnreadableVideos(const QString& folder);

// A second of MJPEG pictures of 64 × 48 in MP4 whose track declares `declared`
// (width and height below 65536).
void makeVideoDeclaring(const QString& path, QSize declared);

// One picture in a single colour in MP4: MJPEG, or a grey PNG, which a
// decoder decodes whole even when asked only for the stream's parameters.
// Making one of 16000 × 16000 costs the command line about 1 GB (MJPEG) or
// 0.6 GB (PNG) for a second or two.
struct LargeStill {
    QSize size;
    bool png = false;
    // The size its track declares instead of its own.
    std::optional<QSize> declared{};
};
void makeLargeStill(const QString& path, const LargeStill& still);

// A camera's stream as FFmpeg's command line codes it, three pictures of
// the quarters at `size`: "yuvj422p" or "yuvj420p" as MJPEG (the JPEGs one
// after another), "yuyv422" raw in NUT.
void makeCameraStream(const QString& path, const QString& pixelFormat, QSize size);

// The rotation of the first video stream's display matrix as ffprobe reads
// it; empty without one.
QString displayRotation(const QString& path);

// Cuts the file to its first `bytes`.
void truncateFile(const QString& path, qint64 bytes);

// Runs FFmpeg's command line with `arguments`, quiet but for errors and
// overwriting what it writes (the last argument); a failure fails the test
// (check with ASSERT_NO_FATAL_FAILURE).
void runFfmpeg(const QStringList& arguments);

// What ffprobe prints for `arguments` followed by `path` (default output
// format); a failure fails the test and gives an empty text.
QString ffprobe(const QStringList& arguments, const QString& path);

// Byte offsets of the video keyframes, in file order.
QList<qint64> keyframeOffsets(const QString& path);

// The tags (handler names) of the file's sound tracks, in file order.
QStringList soundTrackTags(const QString& path);

// Times in seconds of the first video stream's pictures, or of its
// keyframes only, in order.
QList<double> pictureTimes(const QString& path, bool keyframesOnly = false);

// The first video stream's pictures as FFmpeg's command line decodes them,
// converted to RGB with the matrix and range the stream is tagged with
// (RGB888), scaled to `scaledTo` when given; at most `limit` of them.
QList<QImage> decodePictures(const QString& path, std::optional<QSize> scaledTo = std::nullopt, int limit = 1000);
// The luma plane of each picture exactly as coded (Grayscale8).
QList<QImage> decodeLuma(const QString& path, int limit = 1000);
// Sound track `track` at 48 kHz, the mean of its two sides.
std::vector<float> decodeSound(const QString& path, int track = 0);

}  // namespace tavero::test
