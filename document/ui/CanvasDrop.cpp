#include "document/OpenShotRequests.h"
#include "document/ui/CanvasView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace tavero {

// Every drag is welcome as a copy; only the drop looks at what it carries.
void CanvasView::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// The first URL of a drop goes to whoever opens files, whatever its type:
// the application model opens it and reports what it cannot open. Image
// data without a URL is refused.
void CanvasView::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    OpenShotRequests::instance().post(urls.first());
}

}  // namespace tavero
