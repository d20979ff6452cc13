#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QObject>

class QWidget;

namespace tavero {

class AppModel;

// The one alert of the editor window: shown while the model holds an error,
// titled with the brand's Chinese name, with the error as its message. An
// error that mentions access ("权限" or "授权") also offers
// "打开屏幕权限设置", which has no settings pane to open on X11 and only
// closes the alert. However the alert closes, the model's error is cleared.
//
// A window-modal box opened without a nested event loop. Observes the
// model; main thread.
class ErrorAlert : public QObject {
    Q_OBJECT
public:
    ErrorAlert(AppModel& model, QWidget* window);
    ~ErrorAlert() override;

    // The open alert, or null.
    QMessageBox* box() const { return box_; }
    static bool mentionsAccess(const QString& error);

private:
    void showError();
    void open(const QString& error);
    void closed();

    AppModel& model_;
    QPointer<QWidget> window_;
    QPointer<QMessageBox> box_;
};

}  // namespace tavero
