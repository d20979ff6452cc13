#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>

namespace tavero::test {

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Points HOME and the XDG folders at a fresh temporary folder for the life of
// the object, so the Desktop, the settings and the Trash are the test's own.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }
    QString desktop() const;

private:
    TempDir dir_;
    std::map<QByteArray, QByteArray> saved_;
};

}  // namespace tavero::test
