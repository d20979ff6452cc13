#pragma once

#include "app/model/OpenPanelPresenter.h"

#include <QPointer>

class QFileDialog;

namespace tavero {

// The open panels of the application model: a file dialog over the active
// window, modal to that window alone, or a free-standing one when no window
// of ours is active. It never runs an event loop of its own: the choice comes
// back through the dialog's signal. One panel at a time; a new request while
// one shows brings that one forward instead.
//
// Owns the dialog while it shows; main thread.
class FileOpenPanel final : public OpenPanelPresenter {
public:
    FileOpenPanel() = default;
    ~FileOpenPanel() override;

    void present(const OpenPanelRequest& request, OpenPanelChosen chosen) override;

    // The dialog now showing, or null.
    QFileDialog* dialog() const { return dialog_; }

private:
    QPointer<QFileDialog> dialog_;
};

}  // namespace tavero
