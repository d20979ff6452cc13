#include "tests/support/MediaFixtures.h"

#include "tests/support/Files.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cmath>
#include <functional>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace tavero::test {

namespace {

constexpr int toolTimeoutMs = 120'000;

// Runs one of FFmpeg's tools; its standard output, or none after a failure.
std::optional<QByteArray> runTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(toolTimeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << tool.readAllStandardError().toStdString()
                      << tool.errorString().toStdString();
        return std::nullopt;
    }
    return tool.readAllStandardOutput();
}

QStringList videoCoding(const VideoFixture& fixture) {
    if (fixture.encoderDefaults)
        return {QStringLiteral("-c:v"), fixture.codec, QStringLiteral("-preset"), QStringLiteral("veryfast"),
                QStringLiteral("-pix_fmt"), fixture.pixelFormat};
    QStringList coding{QStringLiteral("-c:v"), fixture.codec, QStringLiteral("-pix_fmt"), fixture.pixelFormat,
                       QStringLiteral("-g"), QString::number(fixture.rate), QStringLiteral("-colorspace"),
                       QStringLiteral("smpte170m"), QStringLiteral("-color_primaries"), QStringLiteral("bt709"),
                       QStringLiteral("-color_trc"), QStringLiteral("iec61966-2-1"), QStringLiteral("-color_range"),
                       QStringLiteral("tv")};
    if (fixture.codec == QStringLiteral("libx265"))
        coding << QStringLiteral("-tag:v") << QStringLiteral("hvc1") << QStringLiteral("-x265-params")
               << QStringLiteral("bframes=0:log-level=error");
    else
        coding << QStringLiteral("-bf") << QStringLiteral("0");
    return coding;
}


// Puts `bytes` random bytes in the middle of the file at `path`.
void damageMiddle(const QString& path, qint64 bytes) {
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    const QByteArray video = readFile(path);
    writeFile(path, video.left(video.size() / 2) + random + video.mid(video.size() / 2));
}

QStringList quietFfmpeg() {
    return {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-y")};
}

// Gives the video of `path` a display matrix, as a phone's file has; the
// tag becomes one only when packets are copied.
void rotate(const QString& path, int degrees) {
    const QString plain = path + QStringLiteral(".plain.mp4");
    ASSERT_TRUE(QFile::rename(path, plain));
    const QStringList copy{QStringLiteral("-i"), plain, QStringLiteral("-map"), QStringLiteral("0"),
                           QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-metadata:s:v:0"),
                           QStringLiteral("rotate=%1").arg(degrees), path};
    const bool made = runTool(QStringLiteral("ffmpeg"), quietFfmpeg() + copy).has_value();
    QFile::remove(plain);
    ASSERT_TRUE(made) << "could not turn " << path.toStdString();
}

QByteArray bigEndian16(int value) { return QByteArray(1, char(value >> 8)) + char(value & 0xff); }

// How a JPEG's frame header (SOF0) gives its size: height, then width.
QByteArray jpegFrameHeader(QSize size) {
    return QByteArray("\xff\xc0\x00\x11\x08", 5) + bigEndian16(size.height()) + bigEndian16(size.width());
}
// How an MP4's visual sample entry gives its size.
QByteArray sampleEntrySize(QSize size) { return bigEndian16(size.width()) + bigEndian16(size.height()); }
// How an MP4's track header gives its size, in 16.16 fixed point.
QByteArray trackHeaderSize(QSize size) {
    return bigEndian16(size.width()) + QByteArray(2, '\0') + bigEndian16(size.height()) + QByteArray(2, '\0');
}

// Hands the coded samples of the MP4 at `path` and its index ("moov", which
// must come last) to `edit`, and writes back what it leaves, of the same size.
void editMp4(const QString& path, const std::function<void(QByteArray& coded, QByteArray& index)>& edit) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    const qsizetype at = bytes.lastIndexOf("moov");
    ASSERT_GT(at, 0);
    QByteArray coded = bytes.left(at);
    QByteArray index = bytes.mid(at);
    edit(coded, index);
    ASSERT_EQ(coded.size() + index.size(), bytes.size());
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(coded + index), bytes.size());
}

// Has the video track of `path` (its sample entry and track header) declare
// `declared` instead of `made`.
void declareTrackSize(const QString& path, QSize made, QSize declared) {
    editMp4(path, [&](QByteArray&, QByteArray& index) {
        ASSERT_TRUE(index.contains(trackHeaderSize(made)) && index.contains(sampleEntrySize(made)))
            << "no track of " << made.width() << " x " << made.height() << " in " << path.toStdString();
        index.replace(trackHeaderSize(made), trackHeaderSize(declared));
        index.replace(sampleEntrySize(made), sampleEntrySize(declared));
    });
}

// An MJPEG video of 64 × 48 whose track declares `track` and whose pictures'
// frame headers claim `pictures`.
void makeMisleadingVideo(const QString& path, QSize track, QSize pictures) {
    const QSize made(64, 48);
    QStringList arguments = quietFfmpeg();
    arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
              << QStringLiteral("testsrc2=size=64x48:rate=30:duration=1") << QStringLiteral("-c:v")
              << QStringLiteral("mjpeg") << QStringLiteral("-pix_fmt") << QStringLiteral("yuvj420p")
              << QStringLiteral("-f") << QStringLiteral("mp4") << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
    editMp4(path, [&](QByteArray& coded, QByteArray&) {
        ASSERT_TRUE(coded.contains(jpegFrameHeader(made)));
        coded.replace(jpegFrameHeader(made), jpegFrameHeader(pictures));
    });
    declareTrackSize(path, made, track);
}

// Has the header of `path` declare `seconds` as its length: an MP4's movie
// header (in its own thousandths), Matroska's segment (in milliseconds).
void declareLength(const QString& path, const QString& container, double seconds) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    if (container == QStringLiteral("mp4")) {
        const qsizetype at = bytes.indexOf("mvhd");
        ASSERT_GT(at, 0);
        const auto thousandths = quint32(seconds * 1000);
        for (int byte = 0; byte < 4; ++byte) bytes[at + 20 + byte] = char(thousandths >> (24 - 8 * byte));
    } else {
        const qsizetype at = bytes.indexOf(QByteArray("\x44\x89\x88", 3));
        ASSERT_GT(at, 0) << "no segment duration in " << path.toStdString();
        const double milliseconds = seconds * 1000;
        quint64 bits = 0;
        std::memcpy(&bits, &milliseconds, sizeof bits);
        for (int byte = 0; byte < 8; ++byte) bytes[at + 3 + byte] = char(bits >> (56 - 8 * byte));
    }
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Lays `parts` end to end in `path`, byte for byte, and removes them.
void layEndToEnd(const QString& path, const QStringList& parts) {
    QFile joined(path);
    ASSERT_TRUE(joined.open(QIODevice::WriteOnly));
    for (const QString& part : parts) {
        QFile file(part);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        joined.write(file.readAll());
        file.remove();
    }
}

}  // namespace

QString quartersSource(QSize size, int rate, double duration) {
    const int w = size.width() / 2, h = size.height() / 2;
    return QStringLiteral("color=c=0xFF0000:size=%1x%2:rate=%3:duration=%4,"
                          "drawbox=x=%5:y=0:w=%5:h=%6:c=0x00FF00:t=fill,"
                          "drawbox=x=0:y=%6:w=%5:h=%6:c=0x0000FF:t=fill,"
                          "drawbox=x=%5:y=%6:w=%5:h=%6:c=0xFFFF00:t=fill")
        .arg(size.width())
        .arg(size.height())
        .arg(rate)
        .arg(duration)
        .arg(w)
        .arg(h);
}

QList<QColor> quartersOf(const QImage& picture) {
    const int w = picture.width(), h = picture.height();
    return {picture.pixelColor(w / 4, h / 4), picture.pixelColor(3 * w / 4, h / 4),
            picture.pixelColor(w / 4, 3 * h / 4), picture.pixelColor(3 * w / 4, 3 * h / 4)};
}

bool sameColours(const QList<QColor>& found, const QList<QColor>& wanted, int tolerance) {
    if (found.size() != wanted.size()) return false;
    for (qsizetype i = 0; i < found.size(); ++i)
        if (std::abs(found[i].red() - wanted[i].red()) > tolerance ||
            std::abs(found[i].green() - wanted[i].green()) > tolerance ||
            std::abs(found[i].blue() - wanted[i].blue()) > tolerance)
            return false;
    return true;
}

double psnr(const QImage& a, const QImage& b, QRect area) {
    if (area.isEmpty()) area = a.rect();
    double squares = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) squares += d * d;
        }
    const double mean = squares / (3.0 * area.width() * area.height());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

void makeCameraStream(const QString& path, const QString& pixelFormat, QSize size) {
    const bool raw = pixelFormat == QStringLiteral("yuyv422");
    QStringList arguments = quietFfmpeg();
    arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
              << quartersSource(size, 30, 0.1)
              << QStringLiteral("-frames:v") << QStringLiteral("3") << QStringLiteral("-pix_fmt") << pixelFormat
              << QStringLiteral("-c:v") << (raw ? QStringLiteral("rawvideo") : QStringLiteral("mjpeg"))
              << QStringLiteral("-f") << (raw ? QStringLiteral("nut") : QStringLiteral("mjpeg")) << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
}

void makeVideo(const QString& path, const VideoFixture& fixture) {
    QStringList arguments = quietFfmpeg();
    const bool video = !fixture.codec.isEmpty();
    if (video)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << (fixture.quarters ? quartersSource(fixture.size, fixture.rate, fixture.duration)
                                       : QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                                             .arg(fixture.size.width())
                                             .arg(fixture.size.height())
                                             .arg(fixture.rate)
                                             .arg(fixture.duration));
    for (const ToneTrack& tone : fixture.audio)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=%1:sample_rate=%2:duration=%3")
                         .arg(tone.frequency)
                         .arg(fixture.sampleRate)
                         .arg(fixture.duration);
    const qsizetype inputs = fixture.audio.size() + (video ? 1 : 0);
    for (qsizetype input = 0; input < inputs; ++input) arguments << QStringLiteral("-map") << QString::number(input);
    if (video) arguments << videoCoding(fixture);
    QStringList filters;
    if (!fixture.pixelAspect.isEmpty()) filters << QStringLiteral("setsar=") + fixture.pixelAspect;
    if (fixture.pause)
        filters << QStringLiteral("select='not(between(t,%1,%2))'")
                       .arg(fixture.pause->first)
                       .arg(fixture.pause->second);
    if (!filters.isEmpty()) arguments << QStringLiteral("-vf") << filters.join(QLatin1Char(','));
    if (fixture.pause) arguments << QStringLiteral("-fps_mode") << QStringLiteral("vfr");
    if (!fixture.audio.isEmpty())
        arguments << QStringLiteral("-c:a") << fixture.soundCodec << QStringLiteral("-ac") << QStringLiteral("2");
    for (qsizetype track = 0; track < fixture.audio.size(); ++track)
        arguments << QStringLiteral("-metadata:s:a:%1").arg(track)
                  << QStringLiteral("handler_name=") + fixture.audio[track].tag;
    if (fixture.fragmented)
        arguments << QStringLiteral("-movflags") << QStringLiteral("+frag_keyframe+empty_moov+default_base_moof");
    if (fixture.indexFirst) arguments << QStringLiteral("-movflags") << QStringLiteral("+faststart");
    if (fixture.live) arguments << QStringLiteral("-live") << QStringLiteral("1");
    arguments << QStringLiteral("-t") << QString::number(fixture.duration) << QStringLiteral("-f") << fixture.container
              << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
    if (fixture.rotation != 0) rotate(path, fixture.rotation);
    if (fixture.declaredSeconds) declareLength(path, fixture.container, *fixture.declaredSeconds);
    if (fixture.truncateAt) truncateFile(path, *fixture.truncateAt);
    if (fixture.damage > 0) damageMiddle(path, fixture.damage);
}

void makeHeavyVideo(const QString& path, double duration) {
    QStringList arguments = quietFfmpeg();
    arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
              << QStringLiteral("testsrc2=size=1280x720:rate=25:duration=%1").arg(duration) << QStringLiteral("-f")
              << QStringLiteral("lavfi") << QStringLiteral("-i")
              << QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=%1").arg(duration)
              << QStringLiteral("-c:v") << QStringLiteral("rawvideo") << QStringLiteral("-pix_fmt")
              << QStringLiteral("uyvy422") << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-ac")
              << QStringLiteral("2") << QStringLiteral("-f") << QStringLiteral("mov") << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
}

QStringList makeUnreadableVideos(const QString& folder) {
    const auto file = [&](const char* name) { return folder + QLatin1Char('/') + QLatin1String(name); };
    const QString whole = file("whole.mp4");
    makeVideo(whole, {.duration = 1.0, .size = QSize(64, 48), .audio = {systemTone}});
    QFile source(whole);
    if (!source.open(QIODevice::ReadOnly)) ADD_FAILURE() << "no " << whole.toStdString();
    const QByteArray bytes = source.readAll();
    source.remove();
    const qsizetype index = bytes.lastIndexOf("moov") - 4;
    if (index <= 0) {
        ADD_FAILURE() << "no index at the end of " << whole.toStdString();
        return {};
    }
    QByteArray zeroed = bytes;
    zeroed.replace(index + 8, zeroed.size() - index - 8, QByteArray(zeroed.size() - index - 8, '\0'));
    const QList<std::pair<QString, QByteArray>> contents{
        {file("cut.mp4"), bytes.left(index / 2)},
        {file("zeroed.mp4"), zeroed},
        {file("empty.mp4"), QByteArray()},
        {file("text.mp4"), QByteArray("not a video\n")},
    };
    QStringList paths;
    for (const auto& [path, content] : contents) {
        QFile made(path);
        if (!made.open(QIODevice::WriteOnly) || made.write(content) != content.size())
            ADD_FAILURE() << "could not write " << path.toStdString();
        paths.append(path);
    }
    paths.append(file("sound.m4v"));
    makeVideo(paths.back(), {.codec = QString(), .audio = {systemTone}});
    paths.append(file("oversized.mp4"));
    makeMisleadingVideo(paths.back(), QSize(64, 48), QSize(16384, 16384));
    return paths;
}

void makeManyStreams(const QString& path, int pictures, int sounds, const QString& container) {
    const QString one = path + QStringLiteral(".one.mp4");
    ASSERT_NO_FATAL_FAILURE(makeVideo(one, {.duration = 1.0, .size = QSize(64, 48), .audio = {systemTone}}));
    QStringList arguments{QStringLiteral("-i"), one};
    for (int copy = 0; copy < pictures; ++copy) arguments << QStringLiteral("-map") << QStringLiteral("0:v");
    for (int copy = 0; copy < sounds; ++copy) arguments << QStringLiteral("-map") << QStringLiteral("0:a");
    runFfmpeg(arguments + QStringList{QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), container, path});
    QFile::remove(one);
}

void makeLatePicturesStream(const QString& path, double soundAlone, double seconds, bool moving) {
    const QString sound = path + QStringLiteral(".sound.ts"), joined = path + QStringLiteral(".joined.ts");
    const QString tone = QStringLiteral("-f lavfi -i sine=frequency=440:sample_rate=48000:duration=%1 ");
    const QStringList first = quietFfmpeg() +
                              (tone.arg(soundAlone) + QStringLiteral("-c:a aac -streamid 0:0x101 -f mpegts")).split(' ');
    const QStringList second =
        quietFfmpeg() + QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                    moving ? QStringLiteral("testsrc2=size=320x240:rate=25:duration=%1").arg(seconds)
                                           : quartersSource(QSize(320, 240), 25, seconds)} +
        (tone.arg(seconds) + QStringLiteral("-c:v libx264 -g 25 -pix_fmt yuv420p -c:a aac -streamid 0:0x100 "
                                            "-streamid 1:0x101 -output_ts_offset %1 -f mpegts")
                                 .arg(soundAlone))
            .split(' ');
    if (!runTool(QStringLiteral("ffmpeg"), first + QStringList{sound}) ||
        !runTool(QStringLiteral("ffmpeg"), second + QStringList{joined}))
        FAIL() << "could not make " << path.toStdString();
    layEndToEnd(path, {sound, joined});
}

void leaveOutTransportTables(const QString& path) {
    // 188-byte packets; FFmpeg's muxer gives the programme association
    // table PID 0 and the programme's own table PID 0x1000.
    constexpr qsizetype packetSize = 188;
    const QByteArray packets = readFile(path);
    QByteArray kept;
    for (qsizetype at = 0; at + packetSize <= packets.size(); at += packetSize) {
        const int pid = (quint8(packets.at(at + 1)) & 0x1F) << 8 | quint8(packets.at(at + 2));
        if (pid != 0 && pid != 0x1000) kept.append(packets.mid(at, packetSize));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(kept), kept.size());
}

void makeSwitchingStream(const QString& path, const QString& first, const QString& second, double seconds,
                         QSize secondSize) {
    QStringList parts;
    for (const QString& codec : {first, second}) {
        parts << path + QStringLiteral(".%1.ts").arg(parts.size());
        const QSize size = parts.size() == 1 ? QSize(320, 240) : secondSize;
        const QStringList arguments =
            quietFfmpeg() +
            QStringLiteral("-f lavfi -i testsrc2=size=%1x%2:rate=25:duration=%3 -c:v %4 -pix_fmt yuv420p "
                           "-x265-params log-level=error -output_ts_offset %5 -f mpegts")
                .arg(size.width())
                .arg(size.height())
                .arg(seconds)
                .arg(codec)
                .arg(seconds * double(parts.size() - 1))
                .split(' ') +
            QStringList{parts.last()};
        if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
    }
    layEndToEnd(path, parts);
}

void makeUnnamedChannels(const QString& path, int channels, double seconds) {
    // The command line's filters name every layout they make: the tone is
    // written as raw samples, which carry none, and read back as such.
    const QString raw = path + QStringLiteral(".raw");
    const auto frames = qsizetype(48000 * seconds);
    QByteArray samples(frames * channels * 2, Qt::Uninitialized);
    for (qsizetype frame = 0; frame < frames; ++frame) {
        const auto value = qint16(std::lround(16383 * std::sin(2 * M_PI * 1000 * double(frame) / 48000)));
        for (int channel = 0; channel < channels; ++channel)
            std::memcpy(samples.data() + (frame * channels + channel) * 2, &value, 2);
    }
    QFile file(raw);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(samples) == samples.size());
    file.close();
    runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
               QStringLiteral("testsrc2=size=160x120:rate=30:duration=%1").arg(seconds), QStringLiteral("-f"),
               QStringLiteral("s16le"), QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-ac"),
               QString::number(channels), QStringLiteral("-i"), raw, QStringLiteral("-c:v"),
               QStringLiteral("libx264"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
               QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), QStringLiteral("-f"), QStringLiteral("mov"), path});
    QFile::remove(raw);
}

void makeSparseVideo(const QString& path, double seconds) {
    runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
               QStringLiteral("testsrc2=size=64x48:rate=1:duration=2"), QStringLiteral("-vf"),
               QStringLiteral("setpts=N*%1/TB").arg(seconds), QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
               QStringLiteral("-c:v"), QStringLiteral("libx264"),
               QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-video_track_timescale"),
               QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("mp4"), path});
}

void makeVideoDeclaring(const QString& path, QSize declared) { makeMisleadingVideo(path, declared, QSize(64, 48)); }

void makeLargeStill(const QString& path, const LargeStill& still) {
    // A filter graph of the command line's own makes the picture once; a
    // lavfi input copies it several times over.
    const QString source = QStringLiteral("color=c=0x3060A0:size=%1x%2:rate=1,format=%3")
                               .arg(still.size.width())
                               .arg(still.size.height())
                               .arg(still.png ? QStringLiteral("gray") : QStringLiteral("yuvj420p"));
    QStringList arguments = quietFfmpeg();
    arguments << QStringLiteral("-filter_complex") << source << QStringLiteral("-frames:v") << QStringLiteral("1")
              << QStringLiteral("-threads") << QStringLiteral("1") << QStringLiteral("-c:v")
              << (still.png ? QStringLiteral("png") : QStringLiteral("mjpeg")) << QStringLiteral("-f")
              << QStringLiteral("mp4") << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
    if (still.declared) declareTrackSize(path, still.size, *still.declared);
}

QString displayRotation(const QString& path) {
    return ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                    QStringLiteral("stream_side_data=rotation"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                   path)
        .trimmed();
}

void truncateFile(const QString& path, qint64 bytes) {
    QFile file(path);
    ASSERT_TRUE(file.resize(bytes)) << path.toStdString();
}

void runFfmpeg(const QStringList& arguments) {
    if (!runTool(QStringLiteral("ffmpeg"), quietFfmpeg() + arguments))
        FAIL() << "could not make " << arguments.value(arguments.size() - 1).toStdString();
}

QString ffprobe(const QStringList& arguments, const QString& path) {
    const auto output = runTool(QStringLiteral("ffprobe"),
                                QStringList{QStringLiteral("-v"), QStringLiteral("error")} + arguments + QStringList{path});
    return output ? QString::fromUtf8(*output) : QString();
}

QList<qint64> keyframeOffsets(const QString& path) {
    const QString packets = ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                     QStringLiteral("packet=pos,flags"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                                    path);
    QList<qint64> offsets;
    for (const QString& line : packets.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() == 2 && fields[1].startsWith(QLatin1Char('K'))) offsets << fields[0].toLongLong();
    }
    return offsets;
}

QStringList soundTrackTags(const QString& path) {
    return ffprobe({QStringLiteral("-select_streams"), QStringLiteral("a"), QStringLiteral("-show_entries"),
                    QStringLiteral("stream_tags=handler_name"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                   path)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<double> pictureTimes(const QString& path, bool keyframesOnly) {
    QStringList arguments{QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                          QStringLiteral("frame=pts_time"), QStringLiteral("-of"), QStringLiteral("csv=p=0")};
    if (keyframesOnly) arguments << QStringLiteral("-skip_frame") << QStringLiteral("nokey");
    QList<double> times;
    // A picture with side data (an encoder's notes) carries more fields after its time.
    for (const QString& line : ffprobe(arguments, path).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        times << line.section(QLatin1Char(','), 0, 0).trimmed().toDouble();
    return times;
}

namespace {

// The size FFmpeg's command line decodes pictures at: turned as the display
// matrix asks.
QSize videoSize(const QString& path) {
    // A stream with side data has an empty field for it; the last line is
    // the stream's own (an MPEG-TS lists its programme's first).
    const QStringList fields =
        ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=width,height"), QStringLiteral("-of"), QStringLiteral("csv=p=0")},
                path)
            .trimmed()
            .split(QLatin1Char('\n'))
            .last()
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (fields.size() != 2) return {};
    const QSize coded(fields[0].toInt(), fields[1].toInt());
    const int rotation = displayRotation(path).toInt();
    return rotation % 180 != 0 ? coded.transposed() : coded;
}

// Raw pictures of `size` in `pixelFormat` from the first video stream.
QList<QImage> decodeRaw(const QString& path, QSize size, const QStringList& filters, const QString& pixelFormat,
                        QImage::Format format, int bytesPerPixel, int limit) {
    QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                          QStringLiteral("-nostdin"), QStringLiteral("-i"), path, QStringLiteral("-map"),
                          QStringLiteral("0:v:0"), QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
                          QStringLiteral("-frames:v"), QString::number(limit)};
    if (!filters.isEmpty()) arguments << QStringLiteral("-vf") << filters.join(QLatin1Char(','));
    arguments << QStringLiteral("-pix_fmt") << pixelFormat << QStringLiteral("-f") << QStringLiteral("rawvideo")
              << QStringLiteral("-");
    const auto raw = runTool(QStringLiteral("ffmpeg"), arguments);
    QList<QImage> pictures;
    if (!raw || size.isEmpty()) return pictures;
    const qsizetype planeBytes = qsizetype(size.width()) * size.height() * bytesPerPixel;
    // yuv420p pictures carry their two chroma planes after the luma.
    const qsizetype pictureBytes = bytesPerPixel == 1 ? planeBytes * 3 / 2 : planeBytes;
    for (qsizetype at = 0; at + pictureBytes <= raw->size(); at += pictureBytes)
        pictures << QImage(reinterpret_cast<const uchar*>(raw->constData() + at), size.width(), size.height(),
                           size.width() * bytesPerPixel, format)
                        .copy();
    return pictures;
}

}  // namespace

QList<QImage> decodePictures(const QString& path, std::optional<QSize> scaledTo, int limit) {
    QStringList filters;
    // Scaled once in RGB: scaled before, the colour of 4:2:0 would keep half
    // the resolution of the smaller picture.
    if (scaledTo)
        filters << QStringLiteral("format=rgb24,scale=%1:%2:flags=area")
                       .arg(scaledTo->width())
                       .arg(scaledTo->height());
    return decodeRaw(path, scaledTo.value_or(videoSize(path)), filters, QStringLiteral("rgb24"),
                     QImage::Format_RGB888, 3, limit);
}

QList<QImage> decodeLuma(const QString& path, int limit) {
    return decodeRaw(path, videoSize(path), {}, QStringLiteral("yuv420p"), QImage::Format_Grayscale8, 1, limit);
}

std::vector<float> decodeSound(const QString& path, int track) {
    const auto raw = runTool(QStringLiteral("ffmpeg"),
                             {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                              QStringLiteral("-nostdin"), QStringLiteral("-i"), path, QStringLiteral("-map"),
                              QStringLiteral("0:a:%1").arg(track), QStringLiteral("-ac"), QStringLiteral("2"),
                              QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-f"),
                              QStringLiteral("f32le"), QStringLiteral("-")});
    std::vector<float> samples;
    if (!raw) return samples;
    std::vector<float> stereo(size_t(raw->size()) / sizeof(float));
    std::memcpy(stereo.data(), raw->constData(), stereo.size() * sizeof(float));
    // The mean of both sides (FFmpeg's own downmix adds them 3 dB down each).
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) samples.push_back((stereo[i] + stereo[i + 1]) / 2);
    return samples;
}

}  // namespace tavero::test
