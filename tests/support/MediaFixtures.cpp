#include "tests/support/MediaFixtures.h"

#include <QFile>
#include <QProcess>

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
    QStringList coding{QStringLiteral("-c:v"), fixture.codec, QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
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

}  // namespace

void makeVideo(const QString& path, const VideoFixture& fixture) {
    QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                          QStringLiteral("-nostdin"), QStringLiteral("-y")};
    const bool video = !fixture.codec.isEmpty();
    if (video)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                         .arg(fixture.size.width())
                         .arg(fixture.size.height())
                         .arg(fixture.rate)
                         .arg(fixture.duration);
    for (const ToneTrack& tone : fixture.audio)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                         .arg(tone.frequency)
                         .arg(fixture.duration);
    const qsizetype inputs = fixture.audio.size() + (video ? 1 : 0);
    for (qsizetype input = 0; input < inputs; ++input) arguments << QStringLiteral("-map") << QString::number(input);
    if (video) arguments << videoCoding(fixture);
    if (!fixture.audio.isEmpty())
        arguments << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-ac") << QStringLiteral("2");
    for (qsizetype track = 0; track < fixture.audio.size(); ++track)
        arguments << QStringLiteral("-metadata:s:a:%1").arg(track)
                  << QStringLiteral("handler_name=") + fixture.audio[track].tag;
    if (fixture.fragmented)
        arguments << QStringLiteral("-movflags") << QStringLiteral("+frag_keyframe+empty_moov+default_base_moof");
    arguments << QStringLiteral("-t") << QString::number(fixture.duration) << QStringLiteral("-f")
              << QStringLiteral("mp4") << path;
    if (!runTool(QStringLiteral("ffmpeg"), arguments)) FAIL() << "could not make " << path.toStdString();
    if (fixture.truncateAt) truncateFile(path, *fixture.truncateAt);
}

void truncateFile(const QString& path, qint64 bytes) {
    QFile file(path);
    ASSERT_TRUE(file.resize(bytes)) << path.toStdString();
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

}  // namespace tavero::test
