#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tavero {

// What an open panel shows and offers: its title, its button, a line of
// explanation and the file-name extensions it lets the user pick, without
// the dot, in the order the kinds are offered, and the folder it starts in.
struct OpenPanelRequest {
    QString title;
    QString prompt;
    QString message;
    QStringList extensions;
    QString directory;
};

// The path of the file the user picked.
using OpenPanelChosen = std::function<void(const QString& path)>;

// Opens a file panel. Installed into the AppModel by the program, since the
// model sees no widgets. Main thread.
class OpenPanelPresenter {
public:
    virtual ~OpenPanelPresenter() = default;

    // Shows the panel and returns at once. `chosen` runs once, on the main
    // thread, when the user confirms a file; never when the panel is cancelled.
    virtual void present(const OpenPanelRequest& request, OpenPanelChosen chosen) = 0;
};

}  // namespace tavero
