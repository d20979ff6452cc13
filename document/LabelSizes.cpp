#include "document/LabelSizes.h"

#include "document/SpreadLoop.h"
#include "platform/Fonts.h"
#include "platform/threads/Background.h"

#include <QFontMetricsF>
#include <QImage>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace tavero {

namespace {

// Below this many texts a sweep is not worth its walk.
constexpr qsizetype fewTexts = 1'024;
// A label's font size changes with the slider and back with undo; a text
// kept at more sizes than this forgets the oldest.
constexpr qsizetype mostFontSizesOfAText = 4;

std::atomic<qint64> measuredTexts{0};

// Labels measured by the thread that asks and by helpers on the worker pool,
// which also reads projects: the asking thread never waits for a helper to
// start. None where measuring failed.
std::vector<std::optional<QSizeF>> measureSpread(const std::vector<const Mark*>& labels) {
    std::vector<std::optional<QSizeF>> sizes(labels.size());
    runSpread(int(labels.size()), QThread::idealThreadCount(), runInBackground, [&](int index) {
        try {
            sizes[index] = LabelSizes::measureText(labels[index]->text, labels[index]->fontSize);
        } catch (...) {
            // Left unmeasured: the canvas measures it when it needs it.
        }
    });
    return sizes;
}

}  // namespace

LabelSizes& LabelSizes::shared() {
    static LabelSizes sizes;
    return sizes;
}

QSizeF LabelSizes::measureText(const QString& text, double fontSize) {
    ++measuredTexts;
    static const QImage surface(1, 1, QImage::Format_ARGB32_Premultiplied);
    const QFont font = Fonts::system(fontSize, FontWeight::semibold, surface.logicalDpiY());
    return QFontMetricsF(font, &surface).size(0, text);
}

qint64 LabelSizes::textsMeasured() { return measuredTexts; }

QSizeF LabelSizes::size(const Mark& label) {
    if (label.text.isEmpty()) return {};
    {
        const QMutexLocker locked(&lock_);
        if (const std::optional<QSizeF> known = findLocked(label)) return *known;
    }
    // Measured unlocked, so that other threads find the sizes they know meanwhile.
    const QSizeF measured = measureText(label.text, label.fontSize);
    const QMutexLocker locked(&lock_);
    rememberLocked(label, measured);
    return measured;
}

void LabelSizes::measure(const QList<Mark>& marks) {
    std::vector<const Mark*> unknown;
    {
        const QMutexLocker locked(&lock_);
        forgetUnheldLocked();
        for (const Mark& mark : marks)
            if (mark.tool == MarkTool::text && !mark.text.isEmpty() && !findLocked(mark)) unknown.push_back(&mark);
    }
    if (unknown.empty()) return;
    const std::vector<std::optional<QSizeF>> sizes = measureSpread(unknown);
    const QMutexLocker locked(&lock_);
    for (size_t index = 0; index < unknown.size(); ++index)
        if (sizes[index]) rememberLocked(*unknown[index], *sizes[index]);
}

void LabelSizes::forgetUnheld() {
    const QMutexLocker locked(&lock_);
    forgetUnheldLocked();
}

qsizetype LabelSizes::textCount() const {
    const QMutexLocker locked(&lock_);
    return texts_.size();
}

std::optional<QSizeF> LabelSizes::findLocked(const Mark& label) const {
    const auto found = texts_.constFind(storageOf(label.text));
    if (found == texts_.cend()) return std::nullopt;
    for (const auto& [fontSize, size] : found->byFontSize)
        if (fontSize == label.fontSize) return size;
    return std::nullopt;
}

void LabelSizes::rememberLocked(const Mark& label, QSizeF size) {
    if (findLocked(label)) return;  // measured by another thread meanwhile
    Measured& measured = texts_[storageOf(label.text)];
    if (measured.text.isNull()) measured.text = label.text;
    if (measured.byFontSize.size() == mostFontSizesOfAText) measured.byFontSize.removeFirst();
    measured.byFontSize.append({label.fontSize, size});
    if (texts_.size() > std::max(2 * leftBySweep_, fewTexts)) forgetUnheldLocked();
}

// A text only an entry holds is held by no mark: its storage is never shared again.
void LabelSizes::forgetUnheldLocked() {
    texts_.removeIf([](const auto& entry) { return entry.value().text.isDetached(); });
    leftBySweep_ = texts_.size();
}

}  // namespace tavero
