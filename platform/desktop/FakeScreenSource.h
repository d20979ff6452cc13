#pragma once

#include "platform/desktop/ScreenSource.h"

#include <QMap>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tavero {

// A synthetic screen for tests and TAVERO_PLATFORM=fake: displays, windows
// and a desktop picture set by the caller. Requests can be held, to play a
// screen service that does not answer, and released later. Any thread.
class FakeScreenSource final : public ScreenSource {
public:
    // One 1920 × 1080 display called "fake" showing a grey desktop.
    FakeScreenSource();
    ~FakeScreenSource() override;

    void setDisplays(QList<DisplayInfo> displays);
    void setWindows(QList<WindowInfo> windows);
    // The picture of the whole root window, in root pixels.
    void setDesktop(QImage desktop);
    void setWindowImage(quint32 window, QImage image);
    void setPointer(QPoint pointer);
    void setCursor(QImage cursor, QPoint hotSpot);
    void setActiveProcess(std::optional<qint64> process);
    // Granted unless a test plays a system that asks the user first.
    void setAccessGranted(bool granted);

    // While held, windows() (and so a content request), grabs or unmap
    // waits block until release(), whatever their limit.
    void holdWindows(bool hold);
    void holdGrabs(bool hold);
    void holdUnmapWaits(bool hold);
    void release();
    // Makes windows() throw std::runtime_error, like a lost connection.
    void failWindows(bool fail);

    int grabCount() const;
    // The windows of every wait so far, one list per wait.
    QList<QList<quint32>> unmapWaits() const;
    // keepWindowPixels() holds still alive.
    int windowPixelHolds() const;

    QList<DisplayInfo> displays() override;
    QList<WindowInfo> windows() override;
    QPoint pointer() override;
    std::optional<qint64> activeProcess() override;
    // The process becomes the active one.
    void activate(qint64 processID) override;
    bool accessGranted() override;
    // Its waits return at once unless held: the fake screen shows none of
    // our windows.
    std::shared_ptr<UncoverWait> watchUncovering(const QList<quint32>& windows) override;
    // Only counted: the fake's windows always have their own pictures.
    std::shared_ptr<void> keepWindowPixels() override;
    QImage grabArea(const QRect& pixels, bool withCursor) override;
    // Grabs of the area: the fake screen shows none of our windows. Its
    // waits answer at once that something may have changed.
    std::unique_ptr<PictureFeed> feedArea(const QRect& pixels) override;
    QImage grab(const ContentFilter& filter, bool withCursor) override;

private:
    class Wait;
    class AreaFeed;
    void waitWhileHeld(std::unique_lock<std::mutex>& guard, const bool& held);
    void drawCursor(QImage& image, const QPoint& imageOrigin) const;

    mutable std::mutex lock_;
    std::condition_variable released_;
    QList<DisplayInfo> displays_;
    QList<WindowInfo> windows_;
    QImage desktop_;
    QMap<quint32, QImage> windowImages_;
    QPoint pointer_;
    QImage cursor_;
    QPoint hotSpot_;
    std::optional<qint64> activeProcess_;
    bool holdWindows_ = false;
    bool holdGrabs_ = false;
    bool holdUnmapWaits_ = false;
    QList<QList<quint32>> unmapWaits_;
    std::shared_ptr<std::atomic<int>> windowPixelHolds_ = std::make_shared<std::atomic<int>>(0);
    bool failWindows_ = false;
    bool accessGranted_ = true;
    int grabCount_ = 0;
};

}  // namespace tavero
