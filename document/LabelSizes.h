#pragma once

#include "document/Mark.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSizeF>
#include <QString>

#include <optional>
#include <utility>

namespace tavero {

// How large the text of each label is as our drawing surfaces lay it out,
// remembered so that a label is measured once rather than at every click,
// outline or layer: thousands of long labels took seconds to measure.
//
// Sizes are found by the storage of a label's text and its font size. Copies
// of a mark share that storage and a changed text gets storage of its own, so
// a size is found as quickly for 5,000 characters as for five, and marks
// sharing an id cannot displace each other. Each entry holds its text, so
// the storage cannot be taken by another text while the entry lasts; texts
// that nothing else holds are dropped whenever a project's labels are
// measured, once the entries have doubled since, and when the canvas turns
// to another picture. Safe to use from any thread.
class LabelSizes {
public:
    LabelSizes() = default;
    LabelSizes(const LabelSizes&) = delete;
    LabelSizes& operator=(const LabelSizes&) = delete;

    // The sizes the canvas and its layers use.
    static LabelSizes& shared();

    // The size of `label`'s text in image pixels, measured only when not
    // remembered; no text takes no room.
    QSizeF size(const Mark& label);
    // Measures the labels among `marks` that are not remembered, spread over
    // the cores: for a project just read, before it reaches the editor.
    void measure(const QList<Mark>& marks);
    // Drops the texts nothing but these sizes holds any more.
    void forgetUnheld();
    // How many texts are remembered.
    qsizetype textCount() const;

    // The size of `text` drawn at `fontSize` pixels on our 96 dpi surfaces.
    static QSizeF measureText(const QString& text, double fontSize);
    // How many texts measureText has measured in this process.
    static qint64 textsMeasured();

private:
    struct Storage {
        const QChar* characters;
        qsizetype length;
        friend bool operator==(Storage, Storage) = default;
        friend size_t qHash(Storage storage, size_t seed) {
            return qHashMulti(seed, quintptr(storage.characters), storage.length);
        }
    };
    struct Measured {
        QString text;
        QList<std::pair<double, QSizeF>> byFontSize;  // the latest last
    };

    static Storage storageOf(const QString& text) { return {text.constData(), text.size()}; }
    std::optional<QSizeF> findLocked(const Mark& label) const;
    void rememberLocked(const Mark& label, QSizeF size);
    void forgetUnheldLocked();

    mutable QMutex lock_;
    QHash<Storage, Measured> texts_;
    qsizetype leftBySweep_ = 0;
};

}  // namespace tavero
