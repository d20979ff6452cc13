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
    QList<quint32> hideAll() override;
    void showAll() override;

private:
    QList<QPointer<QWidget>> hidden_;
};

}  // namespace tavero
