#include "app/HandOverRequest.h"

#include "platform/files/FileNames.h"

#include <climits>

namespace tavero {

QByteArray HandOverRequest::encode(const QStringList& files) {
    QByteArray message;
    for (const QString& file : files) {
        const QByteArray path = nativeFileName(file) + '\0';
        if (message.size() + path.size() + 1 > largest) break;
        message += path;
    }
    return message + '\0';
}

// Each byte is looked at once, however the request is cut into pieces.
HandOverRequest::State HandOverRequest::take(QByteArrayView bytes) {
    if (state_ != State::unfinished) return state_;
    if (message_.size() + bytes.size() > largest) return state_ = State::refused;
    qsizetype end = message_.size();
    message_.append(bytes);
    while ((end = message_.indexOf('\0', end)) >= 0) {
        if (checkPath(end) != State::unfinished) return state_;
        pathStart_ = ++end;
    }
    // A path already longer than any the system takes is refused before its end.
    if (message_.size() - pathStart_ >= PATH_MAX) state_ = State::refused;
    return state_;
}

// The path from pathStart_ to the NUL at `end`: the empty one ends the request.
HandOverRequest::State HandOverRequest::checkPath(qsizetype end) {
    if (end == pathStart_) {
        message_.truncate(end);
        return state_ = State::ended;
    }
    if (message_.at(pathStart_) != '/' || end - pathStart_ + 1 > PATH_MAX) return state_ = State::refused;
    return state_;
}

QStringList HandOverRequest::files() const {
    QStringList files;
    if (state_ != State::ended) return files;
    for (const QByteArray& path : message_.split('\0'))
        if (!path.isEmpty()) files.append(fileNameFromNative(path));
    return files;
}

}  // namespace tavero
