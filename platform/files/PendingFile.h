#pragma once

#include <QString>

#include <optional>

namespace tavero {

enum class PublishResult {
    Published,
    // Something already carries the final name; it was left as it was.
    DestinationExists,
    Failed,
};

// An output written under a hidden temporary name in its destination's
// folder, so that no half-written file ever carries the final name and an
// existing file is never replaced. Write to temporaryPath(), then publish().
// Unless published, the temporary file is removed with the object: a failed,
// cancelled or abandoned output leaves nothing behind. Any thread, one owner.
class PendingFile {
public:
    // Creates the empty temporary file ".<name>-<random>.partial.<suffix>"
    // beside `destination`, keeping the suffix so a muxer can still tell the
    // format from the name. None when the folder cannot take a new file.
    static std::optional<PendingFile> reserve(const QString& destination);

    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    PendingFile(const PendingFile&) = delete;
    ~PendingFile();

    const QString& temporaryPath() const { return temporary_; }
    const QString& destination() const { return destination_; }

    // Flushes the written bytes to the disk and gives them the final name
    // in one step (renameat2 without replacing, or link and unlink where the
    // file system lacks that).
    PublishResult publish();

private:
    PendingFile(QString destination, QString temporary);

    QString destination_;
    QString temporary_;  // empty once published or moved from
};

}  // namespace tavero
