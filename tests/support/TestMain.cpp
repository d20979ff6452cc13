#include "platform/Fonts.h"
#include "platform/sound/MediaBackend.h"

#include <QApplication>

#include <gtest/gtest.h>

// Every test binary runs with a QApplication (offscreen unless the test asks
// for a display), so images, fonts, widgets and the video player behave as in
// the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tavero::chooseMediaBackend();
    QApplication app(argc, argv);
    tavero::Fonts::load();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
