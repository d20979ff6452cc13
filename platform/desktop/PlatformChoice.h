#pragma once

#include <QLoggingCategory>

#include <stdexcept>

namespace tavero {

// Whether TAVERO_PLATFORM=fake asks for the fakes instead of X11.
bool fakePlatformChosen();

// The fake when the fakes are chosen, else the X11 implementation, or null
// when no X display can be opened (said once on `category`, naming `what`).
// `Made` is the owning pointer to the seam's interface.
template <typename Made, typename Fake, typename X11>
Made makeFakeOrX11(const QLoggingCategory& category, const char* what) {
    if (fakePlatformChosen()) return Made(new Fake());
    try {
        return Made(new X11());
    } catch (const std::runtime_error& error) {
        qCWarning(category) << "no X11" << what << error.what();
        return nullptr;
    }
}

}  // namespace tavero
