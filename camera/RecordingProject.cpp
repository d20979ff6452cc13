#include "camera/RecordingProject.h"

#include "camera/FiniteNumber.h"
#include "camera/RecordingProjectParser.h"
#include "platform/ShotError.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/RegularFileStream.h"

#include <QFileInfo>

#include <cmath>

namespace tavero {

namespace {

const QString sidecarExtension = QStringLiteral("recording.json");

QString cannotEncode() { return QStringLiteral("未能写入数据，因为它的格式不正确。"); }
QString cannotWrite(const QString& file) { return QStringLiteral("未能存储文件“%1”。").arg(file); }

// Nothing but a file name: no folder part, not "." or "..", which would
// name a folder, and no NUL, which would end the name early.
bool isBareFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

bool isFinite(const CursorSample& sample) {
    return std::isfinite(sample.time) && std::isfinite(sample.x) && std::isfinite(sample.y);
}

bool acceptable(const RecordingProject& project) {
    return project.version == 1 && isBareFileName(project.sourceFile) &&
           (!project.backgroundFile || isBareFileName(*project.backgroundFile)) &&
           project.samples.size() <= RecordingProject::maxSamples;
}

// A take longer than a sidecar holds keeps its whole pointer track at a
// lower rate: evenly spaced samples in half the room, and its clicks, which
// the camera zooms to, in the other half.
QList<CursorSample> thinnedToFit(const QList<CursorSample>& samples) {
    constexpr qsizetype half = RecordingProject::maxSamples / 2;
    if (samples.size() <= RecordingProject::maxSamples) return samples;
    const qsizetype stride = (samples.size() + half - 1) / half;
    QList<CursorSample> kept;
    kept.reserve(RecordingProject::maxSamples);
    qsizetype clicks = 0;
    for (qsizetype index = 0; index < samples.size(); ++index) {
        const CursorSample& sample = samples[index];
        if (index % stride == 0) {
            kept.append(sample);
        } else if (sample.clicked && clicks < half) {
            kept.append(sample);
            ++clicks;
        }
    }
    return kept;
}

// What the longest take writes: each of its samples in at most 123 bytes
// ({"time":…,"x":…,"y":…,"inside":false,"clicked":false}, with the 24
// bytes of the longest double for each number), 29.5 MB in all, and its
// names in at most 3 MiB.
constexpr qint64 largestSidecar = qint64(32) << 20;

}  // namespace

json::Json toJson(const RecordingProject& project) {
    json::Json samples = json::Json::array();
    for (const CursorSample& sample : project.samples) samples.push_back(toJson(sample));
    json::Json object = json::Json::object();
    object["version"] = project.version;
    object["sourceFile"] = json::fromString(project.sourceFile);
    object["targetName"] = json::fromString(project.targetName);
    object["duration"] = finiteNumber(project.duration);
    object["effects"] = toJson(project.effects);
    object["samples"] = std::move(samples);
    if (project.backgroundFile) object["backgroundFile"] = json::fromString(*project.backgroundFile);
    if (project.portraitBaked) object["portraitBaked"] = *project.portraitBaked;
    if (project.cameraFraming) object["cameraFraming"] = toJson(*project.cameraFraming);
    return object;
}

RecordingProject recordingProjectFromJson(const json::Json& value) {
    RecordingProject project;
    project.version = json::requireInt(value, "version");
    project.sourceFile = json::requireString(value, "sourceFile");
    project.targetName = json::requireString(value, "targetName");
    project.duration = json::requireDouble(value, "duration");
    project.effects = recordingEffectsFromJson(json::requireObject(value, "effects"));
    for (const json::Json& sample : json::requireArray(value, "samples"))
        project.samples.append(cursorSampleFromJson(sample));
    if (const json::Json* background = json::optional(value, "backgroundFile"))
        project.backgroundFile = json::toString(*background);
    if (const json::Json* baked = json::optional(value, "portraitBaked")) {
        if (!baked->is_boolean()) throw json::DecodeError("\"portraitBaked\" is not a Boolean");
        project.portraitBaked = baked->get<bool>();
    }
    if (const json::Json* framing = json::optional(value, "cameraFraming"))
        project.cameraFraming = cameraFramingFromJson(*framing);
    return project;
}

QByteArray encodeRecordingProject(const RecordingProject& project) { return json::dump(toJson(project)); }

RecordingProject decodeRecordingProject(const QByteArray& bytes) { return parseRecordingProject(bytes); }

QString RecordingProject::sidecar(const QString& video) {
    const QFileInfo info(video);
    const QString name = info.fileName();
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.path() + QLatin1Char('/') + base + QLatin1Char('.') + sidecarExtension;
}

// A pointer sample JSON cannot hold is one glitch of the pointer's reading;
// dropping it keeps the rest of the track instead of losing the whole file.
// A project that load() would refuse is not written either.
void RecordingProject::save(const QString& video) const {
    RecordingProject saved = *this;
    saved.samples.removeIf([](const CursorSample& sample) { return !isFinite(sample); });
    saved.samples = thinnedToFit(saved.samples);
    if (!acceptable(saved)) throw ShotError(cannotEncode());
    QByteArray bytes;
    try {
        bytes = encodeRecordingProject(saved);
    } catch (const NonFiniteNumber&) {
        throw ShotError(cannotEncode());
    }
    const QString path = sidecar(video);
    writeFileAtomically(path, bytes).orThrow(cannotWrite(QFileInfo(path).fileName()));
}

std::optional<RecordingProject> RecordingProject::load(const QString& video) {
    RegularFileStream file(sidecar(video), largestSidecar);
    if (!file.isOpen()) return std::nullopt;
    try {
        RecordingProject project = parseRecordingProject(file);
        if (file.failed() || !acceptable(project)) return std::nullopt;
        return project;
    } catch (const json::DecodeError&) {
        return std::nullopt;
    }
}

}  // namespace tavero
