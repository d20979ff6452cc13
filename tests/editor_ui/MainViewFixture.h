#pragma once

#include "app/model/AppModel.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "editor_ui/MainView.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/style/TaveroStyle.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

#include <memory>

namespace tavero::test {

// The editor window's content over a model in a temporary home, at the
// window's designed size, not shown unless a test shows it. Screen access is
// granted, as on X11, unless a test plays a system that asks first.
class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.screen->setAccessGranted(accessGranted);
        makeView();
    }

    void makeView() {
        view.reset();
        view = std::make_unique<MainView>(model(), document());
        view->resize(1180, 756);
    }

    AppModel& model() { return harness.model(); }
    ShotDocument& document() { return model().document(); }
    MainViewState& state() { return view->state(); }

    // A picture in the editor, as after a capture.
    void openPicture(const QImage& image = ImageOps::demo(), const QString& name = QStringLiteral("新截图")) {
        document().open(image, name);
        WorkspaceFlow flow = model().flow();
        flow.openContent(false);
        model().setFlow(flow);
    }

    void startPractice() {
        openPicture(ImageOps::demo(), QStringLiteral("示例图 · 跟着做一次"));
        WorkspaceFlow flow = model().flow();
        flow.openContent(true);
        model().setFlow(flow);
    }

    // The model waits on the capture overlay, busy.
    void makeBusy() {
        model().take(CaptureMode::area, false);
        ASSERT_TRUE(harness.overlay.waitUntilOpen());
        ASSERT_TRUE(model().busy());
    }

    bool shows(const QWidget* widget) const { return widget->isVisibleTo(view.get()); }

    // The open window-modal dialogs over the view.
    QList<QDialog*> openSheets() const {
        QList<QDialog*> sheets;
        for (QDialog* dialog : view->findChildren<QDialog*>())
            if (dialog->isVisible()) sheets.append(dialog);
        return sheets;
    }

    bool accessGranted = true;
    ModelHarness harness;
    std::unique_ptr<MainView> view;
};

}  // namespace tavero::test
