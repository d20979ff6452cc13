#include "selftests/SelfTestRun.h"

#include "platform/ShotError.h"
#include "selftests/SelfTestFixtures.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace tavero::selftests {

namespace {
// The seed that gives the pattern its documented colours.
constexpr int patternSeed = 57;
}  // namespace

SelfTestRun::SelfTestRun(std::FILE* out, QString workFolder) : out_(out), workFolder_(std::move(workFolder)) {}

void SelfTestRun::check(bool ok, const QString& name) {
    if (!ok) throw ShotError(QStringLiteral("FAIL: ") + name);
    ++passed_;
    std::fputs(("PASS: " + name + '\n').toUtf8().constData(), out_);
    std::fflush(out_);
}

QString SelfTestRun::workFile(const QString& name) const { return QDir(workFolder_).filePath(name); }

QString SelfTestRun::writeWorkFile(const QString& name, const QByteArray& bytes) const {
    const QString path = workFile(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error((path + QStringLiteral(": ") + file.errorString()).toStdString());
    return path;
}

const QImage& SelfTestRun::pattern() {
    if (!pattern_) pattern_ = selftests::pattern(240, 900, patternSeed);
    return *pattern_;
}

const QImage& SelfTestRun::textPage() {
    if (!textPage_) textPage_ = selftests::textPage();
    return *textPage_;
}

}  // namespace tavero::selftests
