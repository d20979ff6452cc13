#pragma once

#include <QImage>
#include <QString>

#include <cstdio>
#include <optional>

namespace tavero::selftests {

// One run of the "--self-test" suite as its checks see it: the passed
// counter, the work folder, the output for passed checks and the fixtures
// the check groups share. Lives on the main thread for the length of a run.
class SelfTestRun {
public:
    SelfTestRun(std::FILE* out, QString workFolder);

    // Counts and prints a passed check; throws "FAIL: " and the name as a
    // ShotError when `ok` is false, which ends the run.
    void check(bool ok, const QString& name);

    int passed() const { return passed_; }
    const QString& workFolder() const { return workFolder_; }
    QString workFile(const QString& name) const;
    // Writes `bytes` as `name` in the work folder and returns its path;
    // throws the file system's reason when it cannot.
    QString writeWorkFile(const QString& name, const QByteArray& bytes) const;

    // The 240 × 900 pattern and the text page, each made once per run.
    const QImage& pattern();
    const QImage& textPage();

private:
    std::FILE* out_;
    QString workFolder_;
    int passed_ = 0;
    std::optional<QImage> pattern_;
    std::optional<QImage> textPage_;
};

}  // namespace tavero::selftests
