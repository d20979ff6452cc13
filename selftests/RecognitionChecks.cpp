#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "platform/AppBrand.h"
#include "platform/text/TextRecognition.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace tavero::selftests {

namespace {

const char* const visualOutputVariable = "VISTAGON_VISUAL_OUTPUT";

struct Sample {
    ObscureStyle style;
    FramePreset preset;
};

// The cover across the practice picture's second and third lines.
Mark sampleMark(ObscureStyle style) {
    Mark mark = frostedMark();
    mark.points = {QPointF(58, 224), QPointF(1100, 277)};
    mark.obscure->style = style;
    return mark;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error((path + QStringLiteral(": ") + file.errorString()).toStdString());
}

// Each cover style on its own background, and the frosted one as a project,
// for a person to look at.
void writeVisualSamples(const QString& folder, const QImage& demo) {
    if (!QDir().mkpath(folder)) throw std::runtime_error(("could not create " + folder).toStdString());
    const Sample samples[] = {{ObscureStyle::frosted, FramePreset::peach},
                              {ObscureStyle::soft, FramePreset::sea},
                              {ObscureStyle::pixel, FramePreset::lilac}};
    for (const Sample& sample : samples) {
        const Mark mark = sampleMark(sample.style);
        const FrameOptions options{sample.preset, 96, 20, GradientDirection::diagonal};
        const QImage framed = ImageOps::framed(ImageOps::render(demo, {mark}), options, 1);
        const QString name = title(sample.style) + QLatin1Char('-') + title(sample.preset) + QStringLiteral(".png");
        writeFile(QDir(folder).filePath(name), ImageOps::png(framed, QStringLiteral("png")));
        if (sample.style != ObscureStyle::frosted) continue;
        const EditableShot project{1, ImageOps::png(demo, QStringLiteral("png")), {mark}};
        writeFile(QDir(folder).filePath(QStringLiteral("磨砂演示.") + projectExtension), encodeEditableShot(project));
    }
}

}  // namespace

void checkRecognition(SelfTestRun& run) {
    const QImage demo = ImageOps::demo();
    if (!qEnvironmentVariableIsEmpty(visualOutputVariable))
        writeVisualSamples(qEnvironmentVariable(visualOutputVariable), demo);
    run.writeWorkFile(QStringLiteral("demo.png"), ImageOps::png(demo, QStringLiteral("png")));

    const QString text = TextRecognition::recognizeLines(demo).join(QString());
    run.check(text.contains(AppBrand::name) || text.contains(QStringLiteral("截下")),
              QStringLiteral("local Chinese OCR reads demo image"));
}

}  // namespace tavero::selftests
