#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "library/LocalLibrary.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/library/LibraryCalls.h"
#include "tests/support/Files.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

using namespace tavero;
using json::Json;

namespace {

const QString unreadableProject = QStringLiteral("工程图片无法读取。");
const QString notReadable = QStringLiteral("未能读取数据，因为它的格式不正确。");

QList<Mark> makeSampleMarks() {
    Mark cover;
    cover.tool = MarkTool::pixelate;
    cover.points = {{30, 30}, {200, 200}};
    cover.ink = Ink::teal;
    cover.width = 5;
    cover.obscure = ObscureSettings{ObscureStyle::soft, 40, 0.5};
    Mark label;
    label.tool = MarkTool::text;
    label.points = {{12, 24}, {12, 24}};
    label.text = QStringLiteral("\uFEFF新文字\n第二行");  // a zero-width no-break space first, kept
    label.fontSize = 26;
    Mark arrow;
    arrow.points = {{5.5, 6}, {100, 120.25}};
    return {cover, label, arrow};
}

const QList<Mark>& sampleMarks() {
    static const QList<Mark> marks = makeSampleMarks();
    return marks;
}

Json sampleProject() {
    return toJson(EditableShot{1, ImageOps::png(fixtures::screenshotLike(240, 500), QStringLiteral("png")),
                               sampleMarks()});
}

class ProjectFileTest : public testing::Test {
protected:
    QString write(const Json& project) { return write(json::dump(project)); }
    QString write(const QByteArray& bytes) {
        const QString path = dir.file(QStringLiteral("p%1.vistagon").arg(++count));
        test::writeFile(path, bytes);
        return path;
    }
    static void expectRefused(const QString& path, const QString& sentence, const char* what) {
        try {
            readProject(path);
            ADD_FAILURE() << what << " was accepted";
        } catch (const ShotError& error) {
            EXPECT_EQ(error.message(), sentence) << what;
        }
    }
    void expectRefused(const Json& project, const QString& sentence, const char* what) {
        expectRefused(write(project), sentence, what);
    }
    // How far the memory grows until the project is refused as unreadable;
    // negative when it is not.
    static long long memoryToRefuse(const QString& path) {
        return test::peakMemoryGrowth([&] {
            try {
                readProject(path);
            } catch (const ShotError& error) {
                if (error.message() == unreadableProject) return;
            }
            std::abort();
        });
    }

    test::TempDir dir;
    int count = 0;
};

}  // namespace

TEST(ProjectSaving, WritesANewFileThatReopensWithEditableMarksAndCoverSettings) {
    test::TempHome home;
    LocalLibrary library;
    const QImage picture = fixtures::screenshotLike(240, 500);
    const auto first = test::saveProject(library, picture, sampleMarks());
    const auto second = test::saveProject(library, picture, sampleMarks());
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE(first.value(), second.value()) << "every save writes a new file";

    const QRegularExpression pattern(
        QStringLiteral(R"(^可编辑截图_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_[0-9A-F]{6}\.vistagon$)"));
    EXPECT_EQ(QFileInfo(first.value()).absolutePath(), library.root());
    EXPECT_TRUE(pattern.match(QFileInfo(first.value()).fileName()).hasMatch()) << first.value().toStdString();
    EXPECT_FALSE(QFileInfo::exists(library.root() + QStringLiteral("/index.json"))) << "projects are not listed";

    const OpenedProject opened = readProject(first.value());
    EXPECT_EQ(opened.image, picture.convertToFormat(ImageOps::surfaceFormat));
    EXPECT_EQ(opened.marks, sampleMarks());
}

TEST(ProjectSaving, StoresPngWithTheKeysInOrderObscureOnlyForCoversAndTextOnlyForLabels) {
    test::TempHome home;
    LocalLibrary library;
    const QImage jpegBorn = ImageOps::decode(ImageOps::png(fixtures::screenshotLike(64, 48), QStringLiteral("jpg")));
    QList<Mark> marks = sampleMarks();
    marks[2].text = QStringLiteral("秘密").repeated(markLimits::maxTextLength);  // neither written nor counted
    const auto saved = test::saveProject(library, jpegBorn, marks);
    ASSERT_TRUE(saved.ok());
    QFile file(saved.value());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("{\"version\":1,\"png\":\"iVBORw0KGgo")) << "version 1, then Base64 of PNG data";
    const Json project = json::parse(text);
    std::vector<std::string> keys;
    for (const auto& item : project.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"version", "png", "marks"}));
    EXPECT_TRUE(project["marks"][0].contains("obscure"));
    EXPECT_FALSE(project["marks"][1].contains("obscure"));
    EXPECT_FALSE(project["marks"][2].contains("obscure"));
    EXPECT_EQ(project["marks"][2]["text"], "") << "only labels and counters hold text";
}

namespace {

// As many counters, labels and points as a picture may hold, text all but
// filling what it may, one label of characters two code units each, on the
// largest picture.
void fillMarksAndText(ShotDocument& document) {
    const qsizetype labels = markLimits::maxProjectPoints / 2 - 15'000;
    document.open(fixtures::screenshotLike(8'000, 5'000), QStringLiteral("最大"), test::counters(14'999));
    document.add(test::counters(15'000).last());
    test::typeNewLabel(document, {10, 10}, test::smilingText());
    for (qsizetype index = 1; index < labels; ++index)
        test::typeNewLabel(document, QPointF(20 + index % 7'000, 20 + index / 7'000), QString(4'993, QLatin1Char('x')));
}

// Pen strokes with as many points as a picture's may hold, all but as long
// as they may be: long strokes, then strokes of one-pixel pieces.
void fillStrokes(ShotDocument& document) {
    document.open(fixtures::screenshotLike(400, 300), QStringLiteral("笔画"));
    QList<Mark> strokes = test::strokesOfLength(markLimits::maxProjectStrokeLength - 40'000);
    for (qsizetype left = markLimits::maxProjectPoints - pointCount(strokes); left > 0;) {
        Mark stroke;
        stroke.tool = MarkTool::pen;
        for (; left > 0 && stroke.points.size() < markLimits::maxPoints; --left)
            stroke.points.append(QPointF(5 + stroke.points.size() % 2, 5));
        strokes.append(stroke);
    }
    for (const Mark& stroke : strokes) document.add(stroke);
}

// Pen strokes as long as they may be, their points a hair off the grid of
// points, where the reader rounds them a hair apart.
QList<Mark> strokesLongerAsRead() {
    QList<Mark> strokes = test::strokesOfLength(markLimits::maxProjectStrokeLength);
    for (Mark& stroke : strokes)
        for (QPointF& point : stroke.points) point.rx() += point.x() < 135 ? 0x1p-31 - 0x1p-49 : 0x1p-31;
    return strokes;
}

}  // namespace

// Whatever the editor lets a user make is written and opens again unchanged;
// the next mark, point or character past a bound is not made.
TEST(ProjectSaving, TheLargestProjectsTheEditorMakesOpenAgainAsTheyWere) {
    const struct {
        const char* what;
        std::function<void(ShotDocument&)> fill;
    } largest[] = {{"marks, labels and text", fillMarksAndText}, {"pen strokes", fillStrokes}};
    test::TempHome home;
    LocalLibrary library;
    for (const auto& project : largest) {
        ShotDocument document;
        project.fill(document);
        ASSERT_EQ(pointCount(document.marks()), markLimits::maxProjectPoints) << project.what;
        ASSERT_TRUE(withinProjectLimits(document.marks())) << project.what;
        const QList<Mark> made = document.marks();
        document.add(test::counters(1).first());
        EXPECT_EQ(document.marks(), made) << project.what << ": nothing more is added";

        const auto saved = test::saveProject(library, document.image(), made);
        ASSERT_TRUE(saved.ok()) << project.what << ": " << saved.error().message().toStdString();
        const OpenedProject opened = readProject(saved.value());
        EXPECT_TRUE(opened.marks == made) << project.what;
        EXPECT_EQ(opened.image, document.image()) << project.what;
    }
}

// The writer keeps the reader's bounds: a project past one is not written,
// and the user reads why.
TEST(ProjectSaving, WritesNoProjectTheReaderWouldRefuse) {
    const Mark hugeFont = test::textLabel(QStringLiteral("大"), 1'000);
    const struct {
        const char* what;
        QList<Mark> marks;
        QImage picture = fixtures::screenshotLike(40, 30);
    } beyond[] = {
        {"a mark past the marks", test::counters(markLimits::maxMarks + 1)},
        {"text past the picture's", test::labelsHolding(markLimits::maxProjectTextLength + 1)},
        {"a point past the points", test::strokesHolding(markLimits::maxProjectPoints + 1)},
        {"strokes longer as read", strokesLongerAsRead()},
        {"a font past the largest", {hugeFont}},
        {"a picture past the pixels", {}, test::filledImage(8'000, 5'000).copy(0, 0, 8'001, 5'000)},
    };
    test::TempHome home;
    LocalLibrary library;
    for (const auto& project : beyond) {
        const auto saved = test::saveProject(library, project.picture, project.marks);
        ASSERT_FALSE(saved.ok()) << project.what;
        EXPECT_EQ(saved.error().message(), QStringLiteral("工程超出了可以保存的上限（标注、文字或图片过多），没有保存。"))
            << project.what;
    }
    EXPECT_TRUE(QDir(library.root()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no file is left behind";
}

TEST(ProjectCoding, ReadsALaterVersionWithOtherKeysInAnyOrder) {
    const EditableShot shot = editableShotFromJson(sampleProject());
    Json later = json::parse(R"({"extra": {"a": 1}})");
    later["marks"] = sampleProject()["marks"];
    later["png"] = sampleProject()["png"];
    later["version"] = 2;
    const EditableShot read = editableShotFromJson(later);
    EXPECT_EQ(read.version, 2);
    EXPECT_EQ(read.png, shot.png);
    EXPECT_EQ(read.marks, shot.marks);
}

TEST(ProjectCoding, RecognisesProjectFilesByTheirExtensionInAnyCase) {
    EXPECT_TRUE(isProjectFile(QStringLiteral("/a/可编辑截图_1.vistagon")));
    EXPECT_TRUE(isProjectFile(QStringLiteral("b.VistaGon")));
    EXPECT_FALSE(isProjectFile(QStringLiteral("b.vistagon.png")));
    EXPECT_FALSE(isProjectFile(QStringLiteral("vistagon")));
    const QString longName(100'000, QLatin1Char('x'));
    EXPECT_TRUE(isProjectFile(QStringLiteral("/a/") + longName + QStringLiteral(".vistagon")))
        << "a name longer than QFileInfo takes apart";
    EXPECT_FALSE(isProjectFile(QStringLiteral("/a.vistagon/") + longName + QStringLiteral(".png")));
}

TEST_F(ProjectFileTest, MissingOrMistypedKeysFailWithTheDecodersDescription) {
    for (const char* key : {"version", "png", "marks"}) {
        Json project = sampleProject();
        project.erase(key);
        expectRefused(project, notReadable, key);
    }
    Json notBase64 = sampleProject();
    notBase64["png"] = "iVBOR*w0KGgo";
    expectRefused(notBase64, notReadable, "a png that is not Base64");
    Json fractionalVersion = sampleProject();
    fractionalVersion["version"] = 1.5;
    expectRefused(fractionalVersion, notReadable, "a fractional version");
    QByteArray hugeVersion = json::dump(sampleProject());
    hugeVersion.replace("\"version\":1", "\"version\":1e400");
    expectRefused(write(hugeVersion), notReadable, "a version beyond a double");
    QByteArray hugeWidth = json::dump(sampleProject());
    hugeWidth.replace("\"width\":5.0", "\"width\":1e999");
    expectRefused(write(hugeWidth), notReadable, "a width beyond a double");
    expectRefused(Json::array(), notReadable, "an array");
    expectRefused(dir.file(QStringLiteral("absent.vistagon")), QStringLiteral("未能读取文件“absent.vistagon”。"),
                  "a missing file");
}

TEST_F(ProjectFileTest, APictureThatIsNoImageIsUnreadable) {
    Json project = sampleProject();
    project["png"] = json::bytesToJson("this is not an image at all");
    expectRefused(project, unreadableProject, "text bytes");
    project["png"] = json::bytesToJson({});
    expectRefused(project, unreadableProject, "no bytes");
}

TEST_F(ProjectFileTest, AnOversizedPictureIsRefusedFromItsHeaderWithoutDecoding) {
    Json project = sampleProject();
    project["png"] = json::bytesToJson(fixtures::pngHeaderOnly(60000, 60000));
    const QString path = write(project);
    const long long growth = memoryToRefuse(path);
    ASSERT_GE(growth, 0) << "the project was not refused with the unreadable-project sentence";
    EXPECT_LT(growth, 64ll << 20);
    const EditableShot shot = decodeEditableShot(json::dump(project));
    EXPECT_THROW(projectPicture(shot), ShotError);
}

TEST_F(ProjectFileTest, AbsurdValuesAreRefusedAsAnUnreadableProject) {
    const auto withMark = [](const std::function<void(Json&)>& change) {
        Json project = sampleProject();
        change(project["marks"][0]);
        return project;
    };
    expectRefused(withMark([](Json& m) { m["fontSize"] = 0.5; }), unreadableProject, "font size 0.5");
    expectRefused(withMark([](Json& m) { m["fontSize"] = 200.5; }), unreadableProject, "font size 200.5");
    expectRefused(withMark([](Json& m) { m["fontSize"] = 1000; }), unreadableProject, "font size 1000");
    expectRefused(withMark([](Json& m) { m["width"] = -1; }), unreadableProject, "width -1");
    expectRefused(withMark([](Json& m) { m["width"] = 36.5; }), unreadableProject, "width 36.5");
    expectRefused(withMark([](Json& m) { m["width"] = 1e9; }), unreadableProject, "width 1e9");
    expectRefused(withMark([](Json& m) { m["tool"] = "text"; m["text"] = std::string(5'001, 'x'); }),
                  unreadableProject, "a label of 5,001 characters");
    expectRefused(withMark([](Json& m) { m["points"] = Json::array(); for (int i = 0; i <= 20'000; ++i) m["points"].push_back(Json::array({i, i})); }),
                  unreadableProject, "20,001 points");
    Json manyMarks = sampleProject();
    for (qsizetype i = 0; i < markLimits::maxMarks - 2; ++i) manyMarks["marks"].push_back(manyMarks["marks"][2]);
    expectRefused(manyMarks, unreadableProject, "25,001 marks");
}

// Strokes criss-crossing a large picture take the canvas seconds for tens of
// thousands of points: a project holds 50,000 across its marks at most.
TEST_F(ProjectFileTest, AProjectWithMorePointsThanItsMarksMayHoldTogetherIsRefused) {
    Json project = sampleProject();
    qsizetype points = 6;
    for (const Mark& stroke : test::strokesHolding(markLimits::maxProjectPoints - points)) {
        project["marks"].push_back(toJson(stroke));
        points += stroke.points.size();
    }
    ASSERT_EQ(points, markLimits::maxProjectPoints);
    EXPECT_EQ(pointCount(readProject(write(project)).marks), markLimits::maxProjectPoints) << "at the bound it opens";

    project["marks"][0]["points"].push_back(Json::array({1, 1}));
    expectRefused(project, unreadableProject, "one point more");
}

// Long strokes at the widest line, enlarged, take the canvas seconds for
// every million pixels of their length: a project's strokes are 3,000,000
// pixels long together at most.
TEST_F(ProjectFileTest, AProjectWhoseStrokesAreLongerThanTheyMayBeTogetherIsRefused) {
    Json project = sampleProject();
    const double sampled = strokeLength(sampleMarks());
    for (const Mark& stroke : test::strokesOfLength(markLimits::maxProjectStrokeLength - sampled))
        project["marks"].push_back(toJson(stroke));
    ASSERT_LT(pointCount(readProject(write(project)).marks), markLimits::maxProjectPoints);
    EXPECT_EQ(strokeLength(readProject(write(project)).marks), markLimits::maxProjectStrokeLength)
        << "at the bound it opens";

    Json& last = project["marks"].back()["points"];
    last.push_back(last[last.size() - 2]);
    expectRefused(project, unreadableProject, "a stroke as long again as its last piece");
    last.erase(last.size() - 1);
    project["marks"][0]["points"] = Json::array({Json::array({0, 0}), Json::array({1e300, 0})});
    project["marks"][0]["tool"] = "pen";
    expectRefused(project, unreadableProject, "a piece too long to measure");
}

// What lies past a limit is never read: the project is refused at the first
// mark, point or stroke too many, so text that follows and is no JSON at all
// changes nothing, and a file of hundreds of thousands of marks is refused
// in little memory.
TEST_F(ProjectFileTest, AProjectIsRefusedAtTheFirstValuePastALimitAndReadNoFurther) {
    // The project's text up to the end of its last mark, then `more`, then
    // text that no JSON is.
    const auto broken = [](const Json& project, const QByteArray& more) {
        QByteArray text = json::dump(project);
        text.chop(2);  // the "]}" that closes the marks and the project
        return text + more + "\x01 this is no JSON";
    };
    Json manyMarks = sampleProject();
    while (qsizetype(manyMarks["marks"].size()) <= markLimits::maxMarks)
        manyMarks["marks"].push_back(manyMarks["marks"][2]);
    expectRefused(write(broken(manyMarks, {})), unreadableProject, "25,001 marks");

    Json manyPoints = sampleProject();
    for (const Mark& stroke : test::strokesHolding(markLimits::maxProjectPoints - 6))
        manyPoints["marks"].push_back(toJson(stroke));
    ASSERT_EQ(readProject(write(manyPoints)).marks.size(), manyPoints["marks"].size());
    expectRefused(write(broken(manyPoints, R"(,{"points":[[1,1])")), unreadableProject,
                  "a point more than the marks may hold together");

    QByteArray longMark = R"(,{"points":[)";
    for (int index = 0; index <= markLimits::maxPoints; ++index) longMark += index ? ",[1,1]" : "[1,1]";
    expectRefused(write(broken(sampleProject(), longMark)), unreadableProject, "20,001 points in a mark");

    Json longStroke = sampleProject();
    longStroke["marks"].push_back(toJson(test::strokesOfLength(markLimits::maxProjectStrokeLength + 1).first()));
    expectRefused(write(broken(longStroke, {})), unreadableProject, "a stroke longer than strokes may be together");

    QByteArray huge = json::dump(sampleProject());
    huge.chop(2);
    const QByteArray mark = "," + json::dump(sampleProject()["marks"][2]);
    for (int index = 0; index < 200'000; ++index) huge += mark;
    const QString path = write(huge + "]}");
    const long long growth = memoryToRefuse(path);
    ASSERT_GE(growth, 0) << "200,000 marks were not refused with the unreadable-project sentence";
    if (test::tightMemoryBudgets) {
        EXPECT_LT(growth, 32ll << 20) << "a " << huge.size() / 1'000'000 << " MB file";
    }
}

// No tool places a point far beyond the picture, where it draws nothing, or
// a speck once its sizes and angles overflow: a point more than a million
// pixels from the picture's corner is refused whatever the tool, at that
// distance it opens.
TEST_F(ProjectFileTest, PointsFarBeyondThePictureAreRefusedWhateverTheTool) {
    const Json far[][2] = {{Json::array({-1e308, -1e308}), Json::array({1e308, 1e308})},
                           {Json::array({1e308, 1e308}), Json::array({1e308, 1e308})},
                           {Json::array({10, 10}), Json::array({10, -1e308})},
                           {Json::array({1'000'000.5, 10}), Json::array({20, 20})}};
    for (const MarkTool tool : allMarkTools) {
        const std::string name = rawValue(tool).toStdString();
        Json project = sampleProject();
        Json& mark = project["marks"][2];
        mark["tool"] = name;
        for (const auto& points : far) {
            mark["points"] = Json::array({points[0], points[1]});
            expectRefused(project, unreadableProject, (name + " at " + mark["points"].dump()).c_str());
        }
        mark["points"] = Json::array({Json::array({-1e6, 1e6}), Json::array({-1e6, -1e6})});
        if (tool == MarkTool::pen) mark["points"][1] = Json::array({-1e6, 1e6 - 5});
        EXPECT_EQ(readProject(write(project)).marks[2].points[0], QPointF(-1e6, 1e6)) << name << " at the bound";
    }
}

TEST_F(ProjectFileTest, ValuesAtTheLimitsStillOpen) {
    Json project = sampleProject();
    project["marks"][0]["fontSize"] = 1;
    project["marks"][1]["fontSize"] = 200;
    project["marks"][0]["width"] = 0;
    project["marks"][1]["width"] = 36;
    Json& pen = project["marks"][2];
    pen["tool"] = "pen";
    pen["points"] = Json::array();
    for (int i = 0; i < 20'000; ++i) pen["points"].push_back(Json::array({i % 240, i % 500}));
    Json pointless = project["marks"][1];  // no tool makes one, yet it opens
    pointless["points"] = Json::array();
    project["marks"][1]["text"] = std::string(5'000, 'x');
    while (qsizetype(project["marks"].size()) < markLimits::maxMarks) project["marks"].push_back(pointless);
    const OpenedProject opened = readProject(write(project));
    EXPECT_EQ(opened.marks.size(), markLimits::maxMarks);
    EXPECT_EQ(opened.marks[2].points.size(), 20'000);
    EXPECT_EQ(opened.marks[1].text.size(), 5'000);
    EXPECT_EQ(opened.image.size(), QSize(240, 500));
}

// Sixty thousand arrays deep, built up in a mark, once overflowed the stack
// of the thread reading them. Nothing in a project nests deeper than the
// numbers of a point: anything deeper is refused as it opens, inside a mark
// or outside it.
TEST_F(ProjectFileTest, NestingDeeperThanAPointIsRefusedWhereverItLies) {
    const auto nested = [](int depth) { return QByteArray(depth, '[') + QByteArray(depth, ']'); };
    const QString inAMark =
        write(R"({"version":1,"png":"","marks":[{"id":)" + nested(60'000) + R"(,"tool":"arrow"}]})");
    EXPECT_GE(memoryToRefuse(inAMark), 0) << "sixty thousand arrays deep in a mark";

    QByteArray project = json::dump(sampleProject());
    project.chop(1);
    EXPECT_GE(memoryToRefuse(write(project + R"(,"later":)" + nested(1'000'000) + "}")), 0)
        << "a million arrays deep under an unknown key";
    expectRefused(write(project + R"(,"later":)" + nested(5) + "}"), unreadableProject, "five arrays deep");
    EXPECT_EQ(readProject(write(project + R"(,"later":)" + nested(4) + "}")).marks, sampleMarks())
        << "four arrays deep, as deep as a point's numbers";
}

// Each value is bounded by what a project of ours holds: a label's length, a
// number's digits, a mark's values, the values of unknown keys, the white
// space between two values. Past its bound a value is refused at once, not
// read to its end, so a file of tens of megabytes takes little memory.
TEST_F(ProjectFileTest, AValueBeyondWhatAProjectHoldsIsRefusedAtItsBoundInLittleMemory) {
    QByteArray project = json::dump(sampleProject());
    project.chop(2);  // the "]}" that closes the marks and the project
    const QByteArray mark = R"(,{"id":"5B0C5E0A-8E2B-4C59-9E58-3B1F3C0E6B7A","tool":"arrow","points":[[1,1],[2,2]],)"
                            R"("fontSize":20,"ink":{"r":1,"g":0,"b":0,"a":1)";
    const QByteArray inkFullOfValues =
        mark + R"(,"more":[0)" + QByteArray(",0").repeated(999) + R"(]},"width":1,"text":""})";
    constexpr int many = 20'000'000;
    // The project's text up to its last mark, then each case's text.
    const test::RepeatedText cases[] = {
        {"a number of twenty million digits", mark + R"(},"text":"","width":1)", "0", many, "}]}"},
        {"a label of twenty million characters", mark + R"(},"width":1,"text":")", "x", many, "\"}]}"},
        {"an unknown key's string", R"(],"note":")", "x", many, "\"}"},
        {"an unknown key", R"(],")", "k", many, "\":1}"},
        {"marks with a thousand values in their ink", {}, inkFullOfValues, 200, "]}"},
        {"twenty million spaces", "]", " ", many, "}"},
    };
    for (const auto& refused : cases) {
        const QString path = write(project + refused.text());
        const long long growth = memoryToRefuse(path);
        ASSERT_GE(growth, 0) << refused.what << " was not refused as an unreadable project";
        if (test::tightMemoryBudgets) {
            EXPECT_LT(growth, 16ll << 20) << refused.what;
        }
    }
}

// Nothing may follow the project but white space, not even after a NUL byte,
// which a reader of C strings takes for the end of the text.
TEST_F(ProjectFileTest, BytesAfterTheProjectAreRefusedEvenAfterANulByte) {
    const QByteArray project = json::dump(sampleProject());
    for (const QByteArray& after :
         {QByteArray("x"), QByteArray("\0", 1), QByteArray("\0x", 2), QByteArray(" \0{}", 4)}) {
        const std::string what = "followed by " + after.toHex().toStdString();
        expectRefused(write(project + after), notReadable, what.c_str());
        EXPECT_THROW(decodeEditableShot(project + after), json::DecodeError) << what;
    }
    EXPECT_EQ(readProject(write(project + " \n")).marks, sampleMarks()) << "white space may follow";
}

// Other writers indent, escape characters and write numbers at length; such
// a project opens as long as each value stays within its bound.
TEST_F(ProjectFileTest, AProjectWrittenOtherwiseOpensWithinTheBounds) {
    Json project = sampleProject();
    project["marks"][1]["text"] = std::string(markLimits::maxTextLength, '\x01');
    QByteArray text = QByteArray::fromStdString(project.dump(8));
    ASSERT_TRUE(text.contains(R"(\u0001)")) << "each character written as a six-byte escape";
    ASSERT_TRUE(text.contains("\"fontSize\": 34.0"));
    text.replace("\"fontSize\": 34.0", "\"fontSize\": 34." + QByteArray(61, '0'));
    const OpenedProject opened = readProject(write(text));
    EXPECT_EQ(opened.marks[1].text, QString(markLimits::maxTextLength, QChar(1)));
    EXPECT_EQ(opened.marks[2], sampleMarks()[2]);
}
