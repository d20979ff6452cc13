#pragma once

#include "platform/files/FileNames.h"

#include <QString>

// The sentences the library's disk work fails with. They describe the failed
// file operation; the callers put them after their own words. Names of any
// length come in, shortened as sentences show them.
namespace tavero::library::messages {

inline QString cannotCreateFolder(const QString& folder) {
    return QStringLiteral("未能创建文件夹“%1”。").arg(shownFileName(folder));
}
inline QString cannotListFolder(const QString& folder) {
    return QStringLiteral("未能读取文件夹“%1”的内容。").arg(shownFileName(folder));
}
inline QString cannotReadFile(const QString& file) { return QStringLiteral("未能读取文件“%1”。").arg(shownFileName(file)); }
inline QString cannotWriteFile(const QString& file) { return QStringLiteral("未能存储文件“%1”。").arg(shownFileName(file)); }
inline QString cannotKeepCopy(const QString& file) {
    return QStringLiteral("未能保留无法读取的文件“%1”的副本。").arg(shownFileName(file));
}
inline QString cannotTrash(const QString& file) { return QStringLiteral("未能将“%1”移到回收站。").arg(shownFileName(file)); }
inline QString dataNotReadable() { return QStringLiteral("未能读取数据，因为它的格式不正确。"); }
inline QString operationFailed() { return QStringLiteral("未能完成文件操作。"); }

// The history's alert when the manifest cannot be loaded.
inline QString loadFailed(const QString& description) {
    return QStringLiteral("无法读取桌面「岚帧」文件夹：") + description;
}

inline QString unreadableProject() { return QStringLiteral("工程图片无法读取。"); }
// A project the reader would refuse is not written.
inline QString projectBeyondLimits() {
    return QStringLiteral("工程超出了可以保存的上限（标注、文字或图片过多），没有保存。");
}

}  // namespace tavero::library::messages
