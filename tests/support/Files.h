#pragma once

#include <QByteArray>
#include <QString>

namespace tavero::test {

// Writes `bytes` to `path`, making its folder; a failure fails the test.
void writeFile(const QString& path, const QByteArray& bytes);
// Adds `bytes` at the end of the file; a failure fails the test.
void appendFile(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);
// What this process has read so far (rchar), from files among others, and
// what its children read once they have ended.
qint64 bytesRead();

// A long crafted text: `head`, then `piece` `count` times, then `tail`.
struct RepeatedText {
    const char* what;
    QByteArray head;
    QByteArray piece;
    int count;
    QByteArray tail;

    QByteArray text() const { return head + piece.repeated(count) + tail; }
};

// A copy of `source` in `folder` under `name`, bytes that need not be UTF-8.
// Qt can neither create nor remove such a file, so the shell does both; the
// copy goes with the object.
class NativeNamedCopy {
public:
    NativeNamedCopy(const QString& source, const QString& folder, const QByteArray& name);
    ~NativeNamedCopy();
    NativeNamedCopy(const NativeNamedCopy&) = delete;
    NativeNamedCopy& operator=(const NativeNamedCopy&) = delete;

    // The path as the program reads such a name (fileNameFromNative).
    QString path() const;

private:
    QString folder_;
    QByteArray name_;
};

// A FIFO at `path` that nobody writes to: whoever opens it to read waits for
// a writer. Going, it lets such a reader go (opening its writing end once)
// and removes itself, so a test of a reader that wrongly waits fails instead
// of hanging.
class Fifo {
public:
    explicit Fifo(QString path);
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    const QString& path() const { return path_; }
    // Whether anyone has it open to read, or waits to; they are let go with
    // an empty read.
    bool letReadersGo() const;

private:
    QString path_;
};

}  // namespace tavero::test
