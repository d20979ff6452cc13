#pragma once

#include <QByteArray>
#include <QString>

namespace tavero {

// How an atomic write ended: true when every byte reached the disk and the
// new file took the target's place.
class FileWrite {
public:
    enum class Outcome { written, noSpace, failed };

    FileWrite(Outcome outcome) : outcome_(outcome) {}

    explicit operator bool() const { return outcome_ == Outcome::written; }
    Outcome outcome() const { return outcome_; }

    // The sentence a user reads about a failed write: a full disk has its
    // own; any other failure reads `otherwise`.
    QString sentence(const QString& otherwise) const;
    // Throws a ShotError with sentence(otherwise) unless the file was written.
    void orThrow(const QString& otherwise) const;

private:
    Outcome outcome_;
};

inline QString diskFullSentence() { return QStringLiteral("磁盘空间不足，无法保存。"); }

// Writes `bytes` to `path` through a temporary file beside it that replaces
// the target only once every byte is written and flushed to the disk, so a
// reader never sees half a file and a full disk never empties an earlier one.
// A link at `path` is replaced, never followed. On failure the earlier file is
// untouched and the temporary file removed.
[[nodiscard]] FileWrite writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tavero
