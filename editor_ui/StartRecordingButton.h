#pragma once

#include "editor_ui/style/StartActionButton.h"

namespace tavero {

// The recording card's main action, a tall StartActionButton filled with the
// recording accent whose label spans its width: the record symbol and
// "开始录屏" at the leading edge, the hot key and an arrow at the trailing
// edge. Main thread.
class StartRecordingButton : public StartActionButton {
    Q_OBJECT
public:
    static inline const QString hotKeyText = QStringLiteral("Ctrl+Shift+8");

    explicit StartRecordingButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tavero
