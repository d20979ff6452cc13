#pragma once

#include "capture/ApplicationWindows.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tavero {

// Hides this program's visible top-level widgets and shows exactly those
// again. Keeps weak references to them; main thread.
class WidgetApplicationWindows final : public ApplicationWindows {
public:
    QList<quint32> shownWindows() const override;
    void hideAll() override;
    void showAll() override;

private:
    static QList<QWidget*> shown();

    QList<QPointer<QWidget>> hidden_;
};

}  // namespace tavero
