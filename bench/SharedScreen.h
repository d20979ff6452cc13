#pragma once

#include "platform/desktop/X11ScreenSource.h"

#include <memory>
#include <stdexcept>

namespace tavero::bench {

// One screen source for the whole benchmark run; null without an X display.
inline X11ScreenSource* sharedScreen() {
    static const std::unique_ptr<X11ScreenSource> source = []() -> std::unique_ptr<X11ScreenSource> {
        try {
            return std::make_unique<X11ScreenSource>();
        } catch (const std::runtime_error&) {
            return nullptr;
        }
    }();
    return source.get();
}

}  // namespace tavero::bench
