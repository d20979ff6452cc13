#include "platform/files/Trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tavero {

namespace {

// Qt does not create the data folder that holds the home Trash, and when it
// cannot set up the Trash there it moves the item into "files" under the
// working directory and reports success. So the Trash folder must exist
// before Qt is asked.
bool homeTrashReady() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !data.isEmpty() && QDir().mkpath(data + QStringLiteral("/Trash"));
}

}  // namespace

bool moveToTrash(const QString& path) { return homeTrashReady() && QFile::moveToTrash(path); }

}  // namespace tavero
