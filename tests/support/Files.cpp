#include "tests/support/Files.h"

#include "platform/files/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero::test {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

void appendFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    const QByteArray text = io.open(QIODevice::ReadOnly) ? io.readAll() : QByteArray();
    return text.mid(text.indexOf("rchar:") + 6).split('\n').front().trimmed().toLongLong();
}

namespace {

// `name` as a printf format that prints exactly its bytes.
QString octalEscaped(const QByteArray& name) {
    QString format;
    for (const char byte : name) format += QStringLiteral("\\%1").arg(uint(static_cast<unsigned char>(byte)), 3, 8, QLatin1Char('0'));
    return format;
}

void runShell(const QString& script, const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), script, QStringLiteral("sh")} + arguments), 0)
        << script.toStdString();
}

}  // namespace

NativeNamedCopy::NativeNamedCopy(const QString& source, const QString& folder, const QByteArray& name)
    : folder_(folder), name_(name) {
    runShell(QStringLiteral("cp -- \"$1\" \"$2/$(printf \"$3\")\""), {source, folder, octalEscaped(name)});
}

NativeNamedCopy::~NativeNamedCopy() {
    runShell(QStringLiteral("rm -f -- \"$1/$(printf \"$2\")\""), {folder_, octalEscaped(name_)});
}

QString NativeNamedCopy::path() const { return folder_ + QLatin1Char('/') + fileNameFromNative(name_); }

Fifo::Fifo(QString path) : path_(std::move(path)) {
    EXPECT_EQ(::mkfifo(nativeFileName(path_).constData(), 0600), 0) << path_.toStdString();
}

// Opening the writing end without waiting fails when nobody reads.
bool Fifo::letReadersGo() const {
    const int writer = ::open(nativeFileName(path_).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer < 0) return false;
    ::close(writer);
    return true;
}

Fifo::~Fifo() {
    letReadersGo();
    ::unlink(nativeFileName(path_).constData());
}

}  // namespace tavero::test
