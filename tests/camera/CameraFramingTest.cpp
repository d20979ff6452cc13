#include "camera/CameraFraming.h"
#include "tests/support/TempDir.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <limits>

using namespace tavero;
using json::Json;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
const QSizeF camera(640, 360);

CameraFraming custom(qint64 width, qint64 height) { return {CameraAspect::custom, width, height, 0.5, 0.5, 1}; }

void expectNear(const QRectF& actual, const QRectF& expected, double tolerance, const char* what) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
    EXPECT_NEAR(actual.width(), expected.width(), tolerance) << what;
    EXPECT_NEAR(actual.height(), expected.height(), tolerance) << what;
}

// A camera picture with a colour in each quarter: red top-left, green
// top-right, blue bottom-left, yellow bottom-right.
QImage testCard() {
    QImage card(640, 360, QImage::Format_RGB32);
    card.fill(Qt::red);
    const std::pair<QRect, Qt::GlobalColor> quarters[] = {
        {QRect(320, 0, 320, 180), Qt::green}, {QRect(0, 180, 320, 180), Qt::blue}, {QRect(320, 180, 320, 180), Qt::yellow}};
    for (const auto& [rect, colour] : quarters)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) card.setPixelColor(x, y, colour);
    return card;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y).toRgb(); }

}  // namespace

TEST(CameraFramingTest, OutputSizesAreEvenAndInRangeWhateverTheCustomFieldsHold) {
    const std::pair<CameraAspect, QSize> fixed[] = {{CameraAspect::portrait34, {1080, 1440}},
                                                    {CameraAspect::portrait916, {1080, 1920}},
                                                    {CameraAspect::landscape169, {1920, 1080}},
                                                    {CameraAspect::landscape43, {1440, 1080}},
                                                    {CameraAspect::square, {1080, 1080}}};
    for (const auto& [aspect, size] : fixed) {
        const CameraFraming framing{aspect, 0, -7, 0.5, 0.5, 1};
        EXPECT_EQ(framing.outputSize(), size) << rawValue(aspect).toStdString();
        EXPECT_FALSE(framing.validationIssue()) << "fixed aspects ignore the custom fields";
    }
    EXPECT_EQ(CameraFraming().sizeLabel(), QStringLiteral("1920 × 1080"));
    EXPECT_EQ(custom(1001, 1251).outputSize(), QSize(1000, 1250));
    EXPECT_EQ(custom(1001, 1251).sizeLabel(), QStringLiteral("1000 × 1250"));
    EXPECT_FALSE(custom(1001, 1251).validationIssue()) << "odd sizes are rounded at output";
    EXPECT_FALSE(custom(64, 64).validationIssue());
    EXPECT_FALSE(custom(4096, 4096).validationIssue());

    const std::pair<CameraFraming, QSize> invalid[] = {{custom(0, 1440), {64, 1440}},
                                                       {custom(63, 1080), {64, 1080}},
                                                       {custom(1080, 4097), {1080, 4096}},
                                                       {custom(-5, 65), {64, 64}},
                                                       {custom(4095, std::numeric_limits<qint64>::max()), {4094, 4096}}};
    for (const auto& [framing, size] : invalid) {
        EXPECT_EQ(framing.validationIssue(), QStringLiteral("宽和高请填写 64～4096 像素。"));
        EXPECT_EQ(framing.outputSize(), size) << "still a canvas an encoder takes";
    }
}

TEST(CameraFramingTest, ChoosingAnAspectResetsTheCropAndCustomStartsFromTheSizeLeft) {
    CameraFraming framing{CameraAspect::portrait916, 500, 500, 0.1, 0.9, 0.4};
    framing.choose(CameraAspect::custom);
    EXPECT_EQ(framing, (CameraFraming{CameraAspect::custom, 1080, 1920, 0.5, 0.5, 1}));
    framing = {CameraAspect::custom, 1001, 4097, 0.3, 0.3, 0.3};
    framing.choose(CameraAspect::custom);
    EXPECT_EQ(framing, (CameraFraming{CameraAspect::custom, 1000, 4096, 0.5, 0.5, 1})) << "the same aspect again";
}

TEST(CameraFramingTest, CropsKeepTheOutputAspectInsideThePicture) {
    for (CameraAspect aspect : allCameraAspects) {
        const CameraFraming framing{aspect, 1080, 1440, 0.5, 0.5, 1};
        const QRectF crop = framing.cropRect(camera);
        EXPECT_TRUE(QRectF(0, 0, 1, 1).contains(crop)) << rawValue(aspect).toStdString();
        const QSize output = framing.outputSize();
        EXPECT_NEAR(crop.width() * 640 / (crop.height() * 360), double(output.width()) / output.height(), 0.00001);
    }
    EXPECT_EQ(CameraFraming().cropRect(camera), QRectF(0, 0, 1, 1));
    expectNear(CameraFraming{CameraAspect::square, 0, 0, 0.5, 0.5, 1}.cropRect(camera), {0.21875, 0, 0.5625, 1},
               1e-12, "square");

    const QRectF half = CameraFraming{CameraAspect::square, 0, 0, 0.5, 0.5, 0.5}.cropRect(camera);
    expectNear(CameraFraming{CameraAspect::square, 0, 0, 100, 0.5, 0.5}.cropRect(camera),
               {1 - half.width(), half.y(), half.width(), half.height()}, 1e-12, "dragged past the right edge");
    expectNear(CameraFraming{CameraAspect::square, 0, 0, -5, 0.5, 0.5}.cropRect(camera),
               {0, half.y(), half.width(), half.height()}, 1e-12, "dragged past the left edge");
    EXPECT_EQ(CameraFraming({CameraAspect::square, 0, 0, notANumber, notANumber, 0.5}).cropRect(camera), half);
    EXPECT_EQ(CameraFraming({CameraAspect::square, 0, 0, 0.5, 0.5, notANumber}).cropRect(camera).size(),
              QSizeF(0.5625, 1));
    EXPECT_NEAR(CameraFraming({CameraAspect::square, 0, 0, 0.5, 0.5, 0.01}).cropRect(camera).height(), 0.1, 1e-12);
    for (const QSizeF empty : {QSizeF(0, 360), QSizeF(640, -1)})
        EXPECT_EQ(CameraFraming({CameraAspect::square, 0, 0, 0.2, 0.2, 0.3}).cropRect(empty), QRectF(0, 0, 1, 1));
}

TEST(CameraFramingTest, AFreeSelectionBecomesACustomFramingThatReproducesIt) {
    const QRectF drawn(0.15, 0.10, 0.30, 0.65);
    CameraFraming framing;
    framing.select(drawn, camera);
    EXPECT_EQ(framing.aspect, CameraAspect::custom);
    EXPECT_EQ(framing.outputSize(), QSize(1576, 1920));
    EXPECT_DOUBLE_EQ(framing.centerX, 0.30);
    EXPECT_DOUBLE_EQ(framing.centerY, 0.425);
    EXPECT_NEAR(framing.cropScale, 0.6497, 0.0001);
    expectNear(framing.cropRect(camera), drawn, 0.001, "reproduced");

    CameraFraming reversed;
    reversed.select(QRectF(0.45, 0.75, -0.30, -0.65), camera);
    EXPECT_EQ(reversed.outputSize(), framing.outputSize()) << "a rectangle drawn up and to the left";
    expectNear(reversed.cropRect(camera), drawn, 0.001, "drawn up and to the left");

    const CameraFraming before;
    const std::pair<QRectF, QSizeF> ignored[] = {{QRectF(0.1, 0.1, 0.039, 0.5), camera},
                                                 {QRectF(0.1, 0.1, 0.5, 0.03), camera},
                                                 {QRectF(0.98, 0.1, 0.5, 0.5), camera},
                                                 {QRectF(1.5, 1.5, 0.5, 0.5), camera},
                                                 {QRectF(0.1, 0.1, notANumber, 0.5), camera},
                                                 {drawn, QSizeF(0, 360)}};
    for (const auto& [rect, source] : ignored) {
        CameraFraming unchanged = before;
        unchanged.select(rect, source);
        EXPECT_EQ(unchanged, before);
    }
}

TEST(CameraFramingTest, RendersTheCropAtTheOutputSizeAsTheMirroredPreviewShowsIt) {
    const QImage card = testCard();
    for (CameraAspect aspect : allCameraAspects)
        EXPECT_EQ(CameraFraming({aspect, 1001, 1251, 0.9, 0.1, 0.37}).render(card, true).size(),
                  CameraFraming({aspect, 1001, 1251, 0.9, 0.1, 0.37}).outputSize());

    const CameraFraming corner{CameraAspect::square, 0, 0, 0.2, 0.2, 0.3};
    EXPECT_EQ(at(corner.render(card, false), 540, 540), QColor(Qt::red));
    EXPECT_EQ(at(corner.render(card, true), 540, 540), QColor(Qt::green)) << "the top-right of the buffer";

    const QImage whole = CameraFraming().render(card, false);
    const QImage mirrored = CameraFraming().render(card, true);
    EXPECT_EQ(at(whole, 20, 20), QColor(Qt::red));
    EXPECT_EQ(at(whole, 1900, 1060), QColor(Qt::yellow));
    EXPECT_EQ(at(mirrored, 20, 20), QColor(Qt::green));
    EXPECT_EQ(at(mirrored, 1900, 1060), QColor(Qt::blue));
    EXPECT_EQ(CameraFraming::oriented(card, true).pixelColor(20, 20), QColor(Qt::green));
    EXPECT_EQ(CameraFraming::oriented(card, false), card);

    const QImage blank = CameraFraming().render(QImage(), false);
    EXPECT_EQ(blank.size(), QSize(1920, 1080));
    EXPECT_EQ(blank.pixelColor(960, 540).alpha(), 0);

    // A take's frames are drawn into memory it keeps: the crop covers all of it.
    const CameraFraming portrait{CameraAspect::portrait916, 0, 0, 0.3, 0.6, 0.5};
    QImage frame(portrait.outputSize(), QImage::Format_RGB32);
    frame.fill(Qt::magenta);
    portrait.renderInto(card, true, frame);
    EXPECT_EQ(frame, portrait.render(card, true).convertToFormat(QImage::Format_RGB32));
}

TEST(CameraFramingTest, KeepsTheLastValidFramingInTheUserDefaults) {
    const test::TempHome home;
    EXPECT_EQ(CameraFraming::load(), CameraFraming()) << "nothing stored yet";
    const CameraFraming chosen{CameraAspect::custom, 1001, 1251, 0.3, 0.425, 0.6497};
    chosen.save();
    EXPECT_EQ(CameraFraming::load(), chosen);

    custom(0, 1440).save();
    CameraFraming unencodable = chosen;
    unencodable.centerX = notANumber;
    unencodable.save();
    EXPECT_EQ(CameraFraming::load(), chosen) << "invalid framings are not stored";

    const auto loadsDefault = [](const QByteArray& stored) {
        QSettings().setValue(QStringLiteral("recording.cameraFraming"), stored);
        return CameraFraming::load() == CameraFraming();
    };
    Json unknownLabel = toJson(chosen);
    unknownLabel["aspect"] = "宽屏 21:9";
    Json missingKey = toJson(chosen);
    missingKey.erase("cropScale");
    EXPECT_TRUE(loadsDefault(json::dump(unknownLabel)));
    EXPECT_TRUE(loadsDefault(json::dump(missingKey)));
    EXPECT_TRUE(loadsDefault(json::dump(toJson(custom(10, 1080)))));
    EXPECT_TRUE(loadsDefault("{not json"));
}

TEST(CameraFramingTest, WritesTheAspectLabelAndTheFiveNumbersInOrder) {
    const CameraFraming framing{CameraAspect::portrait916, 720, 1280, 0.25, 0.75, 0.5};
    EXPECT_EQ(
        json::dump(toJson(framing)),
        QByteArray(
            R"({"aspect":"竖版 9:16","customWidth":720,"customHeight":1280,"centerX":0.25,"centerY":0.75,"cropScale":0.5})"));
    for (CameraAspect aspect : allCameraAspects) {
        const CameraFraming stored{aspect, 63, 4097, 100, -5, 0.05};
        EXPECT_EQ(cameraFramingFromJson(json::parse(json::dump(toJson(stored)))), stored)
            << "stored as assigned, even outside the usable ranges";
    }
}

TEST(CameraFramingTest, RefusesUnknownLabelsMissingKeysAndWrongTypes) {
    const Json valid = toJson(CameraFraming{});
    for (const char* key : {"aspect", "customWidth", "customHeight", "centerX", "centerY", "cropScale"}) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_THROW(cameraFramingFromJson(missing), json::DecodeError) << key;
    }
    const std::pair<const char*, Json> wrong[] = {
        {"aspect", "横版 21:9"}, {"aspect", "landscape169"}, {"customWidth", 1080.5}, {"cropScale", "1"}};
    for (const auto& [key, value] : wrong) {
        Json changed = valid;
        changed[key] = value;
        EXPECT_THROW(cameraFramingFromJson(changed), json::DecodeError) << key;
    }
}
