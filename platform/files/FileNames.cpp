#include "platform/files/FileNames.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace tavero {

namespace {

constexpr char16_t escapedByteBase = 0xDC00;
constexpr char16_t firstEscapedByte = 0xDC80;
constexpr char16_t lastEscapedByte = 0xDCFF;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at `index`, or 0 when the bytes
// there are no valid UTF-8: overlong forms, surrogates and code points
// beyond U+10FFFF are not.
qsizetype validSequenceLength(const QByteArray& bytes, qsizetype index) {
    const auto at = [&](qsizetype offset) { return static_cast<unsigned char>(bytes[index + offset]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) length = 3, low = 0xA0;
    else if (lead == 0xED) length = 3, high = 0x9F;
    else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) length = 4, low = 0x90;
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else if (lead == 0xF4) length = 4, high = 0x8F;
    else return 0;
    if (index + length > bytes.size()) return 0;
    if (at(1) < low || at(1) > high) return 0;
    for (qsizetype offset = 2; offset < length; ++offset)
        if (!isContinuation(at(offset))) return 0;
    return length;
}

// What a shortened name keeps of its start and its end, besides the "…".
constexpr qsizetype shownHead = 40;
constexpr qsizetype shownTail = shownNameLength - shownHead - 1;

bool splitsPair(const QString& text, qsizetype at) {
    return at > 0 && at < text.size() && text[at - 1].isHighSurrogate() && text[at].isLowSurrogate();
}

bool isEscapedByte(QChar character) {
    return character.unicode() >= firstEscapedByte && character.unicode() <= lastEscapedByte;
}

}  // namespace

// Valid UTF-8 is decoded a run at a time: a name handed over may be long.
QString fileNameFromNative(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype index = 0;
    const auto flushRun = [&] { name.append(QString::fromUtf8(bytes.constData() + runStart, index - runStart)); };
    while (index < bytes.size()) {
        const qsizetype length = validSequenceLength(bytes, index);
        if (length > 0) {
            index += length;
            continue;
        }
        flushRun();
        name.append(QChar(char16_t(escapedByteBase + static_cast<unsigned char>(bytes[index]))));
        runStart = ++index;
    }
    flushRun();
    return name;
}

QByteArray nativeFileName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) { bytes.append(QStringView(name).sliced(runStart, end - runStart).toUtf8()); };
    for (qsizetype index = 0; index < name.size(); ++index) {
        // A low surrogate that ends a pair is part of a character, not a byte.
        const bool paired = index > 0 && name[index - 1].isHighSurrogate();
        if (!isEscapedByte(name[index]) || paired) continue;
        flushRun(index);
        bytes.append(char(name[index].unicode() - escapedByteBase));
        runStart = index + 1;
    }
    flushRun(name.size());
    return bytes;
}

QString absoluteFileName(const QString& name) {
    if (name.startsWith(QLatin1Char('/'))) return QDir::cleanPath(name);
    QByteArray folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), size_t(folder.size()))) return QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + name);
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return QDir::cleanPath(fileNameFromNative(folder) + QLatin1Char('/') + name);
}

QString fileNameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString suffixOf(const QString& path) {
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString shownFileName(const QString& name) {
    if (name.size() <= shownNameLength) return name;
    const qsizetype head = splitsPair(name, shownHead) ? shownHead - 1 : shownHead;
    qsizetype tail = name.size() - shownTail;
    if (splitsPair(name, tail)) ++tail;
    return name.left(head) + QChar(u'…') + name.mid(tail);
}

}  // namespace tavero
