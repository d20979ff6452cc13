#include "tests/support/TempDir.h"

#include <QDir>

namespace tavero::test {

namespace {
const char* const homeVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"};
}

TempDir::TempDir() : dir_(QDir::tempPath() + QStringLiteral("/tavero-test-XXXXXX")) {}

TempHome::TempHome() {
    for (const char* name : homeVariables) saved_[name] = qgetenv(name);
    const QString home = dir_.path();
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toUtf8());
    QDir(home).mkpath(QStringLiteral("Desktop"));
}

TempHome::~TempHome() {
    for (const auto& [name, value] : saved_) {
        if (value.isEmpty()) qunsetenv(name.constData());
        else qputenv(name.constData(), value);
    }
}

QString TempHome::desktop() const { return dir_.path() + QStringLiteral("/Desktop"); }

}  // namespace tavero::test
