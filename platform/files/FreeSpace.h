#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tavero::FreeSpace {

// Free bytes of the file system that holds an existing path, or none when
// they cannot be read.
using Probe = std::function<std::optional<qint64>(const QString& existingPath)>;

// `path` itself when it exists, otherwise its nearest existing ancestor; "/"
// when none of its folders exists. A relative path counts from the working
// folder.
QString nearestExisting(const QString& path);

// Free bytes for a file or folder about to be made at `path`, measured on
// nearestExisting(path) by the installed probe (statvfsProbe unless a test
// installed its own). Nothing is cached; any thread.
std::optional<qint64> available(const QString& path);

// statvfs(3): the blocks an unprivileged writer may still use
// (f_bavail × f_frsize).
std::optional<qint64> statvfsProbe(const QString& existingPath);

// Installs `probe` in place of statvfsProbe for the life of the object, so a
// test can play a nearly full disk. Not nestable across threads: install it
// before starting the work that reads free space.
class ScopedProbe {
public:
    explicit ScopedProbe(Probe probe);
    ~ScopedProbe();
    ScopedProbe(const ScopedProbe&) = delete;
    ScopedProbe& operator=(const ScopedProbe&) = delete;

private:
    Probe previous_;
};

}  // namespace tavero::FreeSpace
