#include "app/ProgramEnd.h"

#include <QLoggingCategory>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>

namespace tavero {

Q_LOGGING_CATEGORY(lcProgramEnd, "tavero.end")

int endOnceWorkersStop(int status, std::chrono::milliseconds grace) {
    if (QThreadPool::globalInstance()->waitForDone(int(grace.count()))) return status;
    qCWarning(lcProgramEnd) << "ending with" << QThreadPool::globalInstance()->activeThreadCount()
                            << "background tasks still running";
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace tavero
