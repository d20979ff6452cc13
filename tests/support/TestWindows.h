#pragma once

#include <QImage>
#include <QProcess>
#include <QRasterWindow>

#include <functional>

namespace tavero::test {

// A top-level window that shows `picture` at 1:1 from its top-left corner,
// for tests that look for known pixels on a real screen; framed by the
// window manager unless `flags` say otherwise.
class PictureWindow : public QRasterWindow {
public:
    PictureWindow(QImage picture, const QRect& geometry, Qt::WindowFlags flags = Qt::Window);

    // Shows the window and waits until it is exposed; false on timeout.
    bool showAndWait();

    const QImage& picture() const { return picture_; }
    // Shows `picture` from now on.
    void setPicture(QImage picture);
    // Draws `pixels` at `at` into the picture, repainting only there.
    void drawAt(QPoint at, const QImage& pixels);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// One of our floating windows, as a recording's border and panels are: on
// top, never focused, passed over by the window manager, and cut to `shape`
// (in the window's pixels) when one is given.
class FloatingWindow : public PictureWindow {
public:
    FloatingWindow(QImage picture, const QRect& geometry, const QRegion& shape = {});
};

// A PictureWindow of another process (tavero_test_window), showing
// fixtures::noise(width, height, seed), so that it is not one of ours.
class ForeignWindow {
public:
    ForeignWindow(const QRect& place, quint32 seed, QString title = {});
    ~ForeignWindow();

    // Starts the process and waits until the window is on screen.
    bool start();
    qint64 processID() const { return process_.processId(); }
    QImage picture() const;

private:
    QRect place_;
    quint32 seed_;
    QString title_;
    QProcess process_;
};

// Another program stopped until resume() or until this goes: its windows
// draw nothing meanwhile, as a busy or hung program's.
class StoppedProgram {
public:
    explicit StoppedProgram(qint64 processID);
    ~StoppedProgram();
    StoppedProgram(const StoppedProgram&) = delete;
    StoppedProgram& operator=(const StoppedProgram&) = delete;

    void resume();

private:
    qint64 processID_;
};

// Whether two images have the same pixels, whatever their formats.
bool samePixels(const QImage& a, const QImage& b);

// Runs `grab` until its image shows `expected` (the screen catches up with
// the windows asynchronously); returns the last image.
QImage grabUntil(const std::function<QImage()>& grab, const QImage& expected, int timeoutMs = 20'000);

}  // namespace tavero::test
