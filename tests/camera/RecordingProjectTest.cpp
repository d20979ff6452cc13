#include "camera/RecordingProject.h"
#include "platform/ShotError.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

#include <limits>

using namespace tavero;
using json::Json;

namespace {

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

RecordingProject twoSampleProject() {
    RecordingProject project;
    project.sourceFile = QStringLiteral("录屏_2026.mp4");
    project.targetName = QStringLiteral("浏览器 · 文档");
    project.duration = 12.345678901234567;
    project.samples = {{0.0, 0.25, 0.75, true, false}, {1.0 / 30.0, -0.1, 1.3, false, true}};
    return project;
}

// A project file as an older or a foreign writer left it, with the effects given.
QByteArray fileWithEffects(const QByteArray& effects) {
    return R"({"effects":)" + effects +
           R"(,"version":1,"sourceFile":"a.mp4","targetName":"t","duration":2,"samples":[]})";
}

class RecordingProjectFileTest : public testing::Test {
protected:
    std::optional<RecordingProject> loadText(const QByteArray& text) {
        test::writeFile(RecordingProject::sidecar(video), text);
        return RecordingProject::load(video);
    }

    test::TempDir dir;
    const QString video = dir.file(QStringLiteral("clip.mp4"));
};

}  // namespace

TEST(RecordingProjectTest, NamesTheSidecarAfterTheVideoInItsFolder) {
    EXPECT_EQ(RecordingProject::sidecar(QStringLiteral("/a/clip.mp4")), QStringLiteral("/a/clip.recording.json"));
    EXPECT_EQ(RecordingProject::sidecar(QStringLiteral("/a/a.b.mov")), QStringLiteral("/a/a.b.recording.json"));
    EXPECT_EQ(RecordingProject::sidecar(QStringLiteral("/a/clip")), QStringLiteral("/a/clip.recording.json"));
}

TEST(RecordingProjectTest, WritesKeysInOrderAndLeavesAbsentMembersOut) {
    const Json bare = json::parse(encodeRecordingProject(twoSampleProject()));
    EXPECT_EQ(keysOf(bare),
              (std::vector<std::string>{"version", "sourceFile", "targetName", "duration", "effects", "samples"}));
    EXPECT_EQ(keysOf(bare["effects"]),
              (std::vector<std::string>{"autoZoom", "backgroundBlur", "zoom", "padding", "blur"}));
    EXPECT_EQ(keysOf(bare["samples"][0]), (std::vector<std::string>{"time", "x", "y", "inside", "clicked"}));

    RecordingProject full = twoSampleProject();
    full.backgroundFile = QStringLiteral("背景.png");
    full.portraitBaked = false;
    full.cameraFraming = CameraFraming{};
    EXPECT_EQ(keysOf(json::parse(encodeRecordingProject(full))),
              (std::vector<std::string>{"version", "sourceFile", "targetName", "duration", "effects", "samples",
                                        "backgroundFile", "portraitBaked", "cameraFraming"}));
}

TEST(RecordingProjectTest, ReadsMissingEffectsWithDefaultsAndTheLegacyBlurKey) {
    const auto effectsOf = [](const QByteArray& effects) {
        return decodeRecordingProject(fileWithEffects(effects)).effects;
    };
    EXPECT_EQ(effectsOf("{}"), RecordingEffects{});
    EXPECT_EQ(effectsOf(R"({"zoom":null,"blur":30})"), (RecordingEffects{true, true, 1.65, 0.06, 30}));
    EXPECT_FALSE(effectsOf(R"({"focusBlur":false})").backgroundBlur);
    EXPECT_TRUE(effectsOf(R"({"backgroundBlur":true,"focusBlur":false})").backgroundBlur);
    EXPECT_FALSE(effectsOf(R"({"backgroundBlur":null,"focusBlur":false})").backgroundBlur);
    EXPECT_TRUE(effectsOf(R"({"backgroundBlur":true,"focusBlur":"old"})").backgroundBlur)
        << "an overridden legacy key is not read";

    const RecordingProject legacy = decodeRecordingProject(fileWithEffects(R"({"focusBlur":false})"));
    const QByteArray rewritten = encodeRecordingProject(legacy);
    EXPECT_TRUE(rewritten.contains(R"("backgroundBlur":false)"));
    EXPECT_FALSE(rewritten.contains("focusBlur"));
}

TEST(RecordingProjectTest, ReadsZoomPaddingAndBlurWithinTheRangesOfTheControls) {
    const auto effectsOf = [](const QByteArray& effects) {
        return decodeRecordingProject(fileWithEffects(effects)).effects;
    };
    EXPECT_EQ(effectsOf(R"({"zoom":1e308,"padding":1e308,"blur":1e308})"), (RecordingEffects{true, true, 2.2, 0.14, 48}));
    EXPECT_EQ(effectsOf(R"({"zoom":-1e308,"padding":-1e308,"blur":-1e308})"),
              (RecordingEffects{true, true, 1.15, 0.03, 12}));
    EXPECT_EQ(effectsOf(R"({"zoom":1.9,"padding":0.1,"blur":40})"), (RecordingEffects{true, true, 1.9, 0.1, 40}))
        << "values within the ranges stay as stored";

    constexpr double infinity = std::numeric_limits<double>::infinity();
    const RecordingEffects odd{false, false, std::numeric_limits<double>::quiet_NaN(), infinity, -infinity};
    EXPECT_EQ(odd.withinRanges(), (RecordingEffects{false, false, 1.65, 0.14, 12}));
}

TEST(RecordingProjectTest, RefusesWrongTypesAndMissingRequiredKeys) {
    EXPECT_THROW(decodeRecordingProject(fileWithEffects(R"({"zoom":"1.5"})")), json::DecodeError);
    EXPECT_THROW(decodeRecordingProject(fileWithEffects("[]")), json::DecodeError);
    EXPECT_THROW(
        decodeRecordingProject(R"({"version":1,"sourceFile":"a.mp4","targetName":"t","duration":2,"effects":{}})"),
        json::DecodeError);
    EXPECT_THROW(
        decodeRecordingProject(R"({"version":1,"sourceFile":"a.mp4","targetName":"t","duration":2,"effects":{},)"
                               R"("samples":[],"portraitBaked":"yes"})"),
        json::DecodeError);
}

TEST_F(RecordingProjectFileTest, SavesAndLoadsEveryFieldUnchanged) {
    RecordingProject project = twoSampleProject();
    project.effects = {false, true, 2.2, 0.1, 40};
    project.backgroundFile = QStringLiteral("clip-背景.png");
    project.portraitBaked = true;
    project.cameraFraming = CameraFraming{CameraAspect::custom, 1001, 1251, 0.3, 0.425, 0.6497};
    project.save(video);
    EXPECT_EQ(RecordingProject::load(video), project);

    const RecordingProject plain = twoSampleProject();
    plain.save(video);
    EXPECT_EQ(RecordingProject::load(video), plain) << "a later save replaces the sidecar";
}

TEST_F(RecordingProjectFileTest, LoadsNothingFromFilesItCannotTrust) {
    EXPECT_FALSE(RecordingProject::load(video).has_value()) << "no sidecar";
    EXPECT_TRUE(loadText(fileWithEffects("{}")).has_value());
    EXPECT_FALSE(loadText("{not json").has_value());
    EXPECT_FALSE(loadText(fileWithEffects("{}").replace(R"("version":1)", R"("version":2)")).has_value());
    for (const char* name : {R"("../clip.mp4")", R"("..")", R"(".")", R"("")", R"("clip.mp4/")", R"("a\u0000.mp4")"}) {
        EXPECT_FALSE(loadText(fileWithEffects("{}").replace(R"("a.mp4")", name)).has_value()) << name;
        EXPECT_FALSE(loadText(fileWithEffects("{}").replace(R"("samples":[])",
                                                            QByteArray(R"("samples":[],"backgroundFile":)") + name))
                         .has_value())
            << name;
    }
    EXPECT_FALSE(loadText(fileWithEffects("{}").replace(R"("samples":[])",
                                                        R"("samples":[{"time":0,"x":0.5,"y":0.5,"inside":true}])"))
                     .has_value())
        << "a sample without \"clicked\"";
    EXPECT_FALSE(loadText(fileWithEffects("{}").replace(R"("duration":2)", R"("duration":1e999)")).has_value());
}

TEST_F(RecordingProjectFileTest, DropsPointerSamplesJsonCannotHoldAndRefusesOtherSuchNumbers) {
    RecordingProject glitched = twoSampleProject();
    glitched.samples.insert(1, CursorSample{0.02, std::numeric_limits<double>::quiet_NaN(), 0.5, true, false});
    glitched.samples.append(CursorSample{std::numeric_limits<double>::infinity(), 0.5, 0.5, true, false});
    glitched.save(video);
    EXPECT_EQ(RecordingProject::load(video), twoSampleProject());
    const QByteArray before = test::readFile(RecordingProject::sidecar(video));

    RecordingProject broken = twoSampleProject();
    broken.duration = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(broken.save(video), ShotError);
    broken = twoSampleProject();
    broken.cameraFraming = CameraFraming{};
    broken.cameraFraming->centerX = std::numeric_limits<double>::infinity();
    EXPECT_THROW(broken.save(video), ShotError);
    EXPECT_EQ(test::readFile(RecordingProject::sidecar(video)), before);
}

TEST_F(RecordingProjectFileTest, WritesNoProjectItWouldNotReadBack) {
    const QString sentence = QStringLiteral("未能写入数据，因为它的格式不正确。");
    const auto refusal = [&](const RecordingProject& project) {
        try {
            project.save(video);
        } catch (const ShotError& error) {
            return error.message();
        }
        return QString();
    };
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../clip.mp4"),
                                QStringLiteral("a") + QChar(0) + QStringLiteral(".mp4")}) {
        RecordingProject project = twoSampleProject();
        project.sourceFile = name;
        EXPECT_EQ(refusal(project), sentence) << name.toStdString();
        project = twoSampleProject();
        project.backgroundFile = name;
        EXPECT_EQ(refusal(project), sentence) << name.toStdString();
    }
    RecordingProject later = twoSampleProject();
    later.version = 2;
    EXPECT_EQ(refusal(later), sentence);
    EXPECT_FALSE(QFile::exists(RecordingProject::sidecar(video)));
}

TEST_F(RecordingProjectFileTest, ReportsAFolderItCannotWriteInto) {
    const QString nowhere = dir.file(QStringLiteral("missing/clip.mp4"));
    try {
        twoSampleProject().save(nowhere);
        FAIL() << "saved into a missing folder";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("未能存储文件“clip.recording.json”。"));
    }
}

// A sidecar is read as it streams in and refused at the first value past
// what a sidecar of ours holds, never built whole: a file of megabytes of
// values no sidecar has takes little memory to refuse.
TEST_F(RecordingProjectFileTest, RefusesValuesBeyondWhatASidecarHoldsInLittleMemory) {
    QByteArray sidecar = fileWithEffects("{}");
    sidecar.chop(1);  // its closing brace
    const QByteArray withSamples = QByteArray(sidecar).replace(R"("samples":[])", R"("samples":[[])");
    constexpr int many = 4'000'000;
    // Each head holds the sidecar's text up to its last key.
    const test::RepeatedText cases[] = {
        {"empty arrays under an unknown key", sidecar + R"(,"more":[[])", ",[]", many, "]}"},
        {"empty arrays for samples", withSamples, ",[]", many, "]}"},
        {"a name of twelve million characters", sidecar + R"(,"targetName":")", "xxx", many, "\"}"},
        {"a number of twelve million digits", sidecar + R"(,"duration":1)", "000", many, "}"},
        {"a million arrays deep under an unknown key", sidecar + R"(,"more":)", "[", 1'000'000,
         QByteArray(1'000'000, ']') + "}"},
    };
    const QString path = RecordingProject::sidecar(video);
    for (const auto& refused : cases) {
        test::writeFile(path, refused.text());
        const long long growth = test::peakMemoryGrowth([&] {
            if (RecordingProject::load(video)) std::abort();
        });
        ASSERT_GE(growth, 0) << refused.what << " was read";
        if (test::tightMemoryBudgets) {
            EXPECT_LT(growth, 16ll << 20) << refused.what;
        }
    }
}

// Nothing in a sidecar nests deeper than a sample's values, three levels
// down: one level past that is refused wherever it lies, and as deep loads.
TEST_F(RecordingProjectFileTest, NestingOneLevelPastASamplesValuesIsRefusedWhereverItLies) {
    const QByteArray sample = R"({"time":0,"x":0.5,"y":0.5,"inside":true,"clicked":false,"more":MORE})";
    const QByteArray withSample = fileWithEffects("{}").replace(R"("samples":[])", R"("samples":[)" + sample + "]");
    const struct {
        const char* what;
        QByteArray text;
        bool loads;
    } nestings[] = {
        {"two arrays under an unknown key", fileWithEffects("{}").replace("\"version\"", R"("more":[[]],"version")"),
         true},
        {"three arrays under an unknown key",
         fileWithEffects("{}").replace("\"version\"", R"("more":[[[]]],"version")"), false},
        {"an array under an unknown key of the effects", fileWithEffects(R"({"more":[]})"), true},
        {"two arrays under an unknown key of the effects", fileWithEffects(R"({"more":[[]]})"), false},
        {"a number under an unknown key of a sample", QByteArray(withSample).replace("MORE", "1"), true},
        {"an array under an unknown key of a sample", QByteArray(withSample).replace("MORE", "[]"), false},
    };
    for (const auto& nesting : nestings)
        EXPECT_EQ(loadText(nesting.text).has_value(), nesting.loads) << nesting.what;
}

// Nothing may follow the project but white space, not even after a NUL byte,
// which a reader of C strings takes for the end of the text.
TEST_F(RecordingProjectFileTest, RefusesBytesAfterTheProjectEvenAfterANulByte) {
    EXPECT_TRUE(loadText(fileWithEffects("{}") + " \n").has_value()) << "white space may follow";
    EXPECT_FALSE(loadText(fileWithEffects("{}") + "x").has_value());
    EXPECT_FALSE(loadText(fileWithEffects("{}") + QByteArray("\0x", 2)).has_value());
    EXPECT_FALSE(loadText(fileWithEffects("{}") + QByteArray("\0", 1)).has_value());
}

// The sidecar of the longest take, every number at its longest, loads; one
// with a sample more is not read. A longer take is written thinned to fit:
// its track still runs to its end, and its clicks are kept.
TEST_F(RecordingProjectFileTest, HoldsThePointerTrackOfTheLongestTakeAndThinsALongerOne) {
    constexpr double longest = -1.2345678901234567e-100;
    RecordingProject take = twoSampleProject();
    const CursorSample sample{longest, longest, longest, false, false};
    take.samples = QList<CursorSample>(RecordingProject::maxSamples, sample);
    take.save(video);
    const auto loaded = RecordingProject::load(video);
    ASSERT_TRUE(loaded.has_value()) << QFileInfo(RecordingProject::sidecar(video)).size() << " bytes";
    EXPECT_EQ(*loaded, take);

    QByteArray text = test::readFile(RecordingProject::sidecar(video));
    text.replace(R"("samples":[)", R"("samples":[{"time":0,"x":0,"y":0,"inside":true,"clicked":false},)");
    EXPECT_FALSE(loadText(text).has_value()) << "a sample more";

    RecordingProject longer = twoSampleProject();
    const qsizetype count = RecordingProject::maxSamples * 3 + 7;
    for (qsizetype index = 0; index < count; ++index)
        longer.samples.append({double(index) / 30, 1, 2, true, index % 1000 == 999});
    ASSERT_NO_THROW(longer.save(video));
    const auto thinned = RecordingProject::load(video);
    ASSERT_TRUE(thinned.has_value());
    EXPECT_LE(thinned->samples.size(), RecordingProject::maxSamples);
    EXPECT_EQ(thinned->samples.first(), longer.samples.first());
    EXPECT_GT(thinned->samples.last().time, longer.samples.last().time - 1) << "the track runs to the end";
    const auto clicks = [](const QList<CursorSample>& samples) {
        return std::count_if(samples.begin(), samples.end(), [](const CursorSample& kept) { return kept.clicked; });
    };
    EXPECT_EQ(clicks(thinned->samples), clicks(longer.samples)) << "every click is kept";
    EXPECT_TRUE(std::is_sorted(thinned->samples.begin(), thinned->samples.end(),
                               [](const CursorSample& a, const CursorSample& b) { return a.time < b.time; }));
}
