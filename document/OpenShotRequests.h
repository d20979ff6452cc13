#pragma once

#include <QObject>
#include <QUrl>

namespace tavero {

// The process-wide channel through which the canvas asks for a dropped file
// to be opened; the application model listens and opens it, reporting what it
// cannot open. The canvas does not look at the file's type.
//
// Created on first use and lives for the whole process. Posting and delivery
// happen on the main thread, synchronously, in the order of posting.
class OpenShotRequests : public QObject {
    Q_OBJECT

public:
    // The request's identity, shared with everything that names it.
    static constexpr const char* name = "Vistagon.openURL";

    static OpenShotRequests& instance();

    void post(const QUrl& url);

signals:
    void openShotURL(const QUrl& url);

private:
    OpenShotRequests() = default;
};

}  // namespace tavero
