#pragma once

#include "document/FrameOptions.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>

namespace tavero {

// The background sheet's live preview: frames a reduced copy of the source
// on the worker pool for each set of options asked for. The copy is reduced
// once, by the first preview, and shared by the later ones. Only the newest
// request can answer; a computation it supersedes still runs to its end and
// its result is dropped, as is every result once the preview is gone.
//
// Lives on the main thread, where it answers; the work shares nothing mutable
// with it.
class BackgroundPreview : public QObject {
    Q_OBJECT
public:
    // Runs on a worker thread; throws ShotError.
    using Work = std::function<QImage(const FrameOptions& options)>;

    // Previews of `source`, each refused with the size sentence when the
    // full-size frame that applying would make exceeds the limits.
    explicit BackgroundPreview(const QImage& source, QObject* parent = nullptr);
    BackgroundPreview(Work work, QObject* parent);

    // Starts a preview for `options`, superseding any running one.
    void request(const FrameOptions& options);

    // What the preview of `source` does for each request.
    static Work framing(const QImage& source);

signals:
    void previewed(const QImage& preview);
    // The message of a failed preview.
    void failed(const QString& message);

private:
    const Work work_;
    quint64 generation_ = 0;
};

}  // namespace tavero
