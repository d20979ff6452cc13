#include "document/OpenShotRequests.h"

namespace tavero {

OpenShotRequests& OpenShotRequests::instance() {
    static OpenShotRequests requests;
    return requests;
}

void OpenShotRequests::post(const QUrl& url) { emit openShotURL(url); }

}  // namespace tavero
