#include "editor_ui/StatusBar.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/Announcer.h"
#include "editor_ui/BusySpinner.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/MainViewState.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QUrl>

namespace tavero {

namespace {

constexpr int spacing = 10;
constexpr int sidePadding = 18;
constexpr int dotSide = 6;
constexpr int minimumGap = 6;
constexpr double textPoints = 11;

// The resting indicator: a filled circle.
class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget* parent) : QWidget(parent) { setFixedSize(dotSide, dotSide); }

    const QColor& colour() const { return colour_; }
    void setColour(const QColor& colour) {
        colour_ = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour_);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor colour_;
};

}  // namespace

StatusBar::StatusBar(AppModel& model, ShotDocument& document, QWidget* parent)
    : QWidget(parent), model_(model), document_(document) {
    setFixedHeight(barHeight);
    EditorLook::fill(this, palette().color(QPalette::Window));

    spinner_ = new BusySpinner(this);
    dot_ = new StatusDot(this);
    status_ = new ElidedLabel(this);
    status_->setFont(EditorLook::font(this, textPoints));
    announcer_ = new Announcer(*this, model.status());
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(int(textPoints));
    pixelSize_ = new QLabel(this);
    pixelSize_->setFont(mono);
    EditorLook::setTextColour(pixelSize_, EditorLook::secondaryText(this));
    folder_ = EditorLook::plainButton(QStringLiteral("桌面 / 岚帧"), QStringLiteral("folder"), this);
    folder_->setFont(EditorLook::font(this, textPoints));
    folder_->setToolTip(QStringLiteral("打开保存文件夹"));
    connect(folder_, &QToolButton::clicked, &model, [&model] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(model.library().root()));
    });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(spacing);
    row->addWidget(spinner_);
    row->addWidget(dot_);
    row->addWidget(status_, 1);
    row->addSpacing(minimumGap);
    row->addWidget(pixelSize_);
    row->addWidget(folder_);

    for (const auto signal : {&AppModel::busyChanged, &AppModel::recordingChanged, &AppModel::statusChanged,
                              &AppModel::flowChanged, &AppModel::videoURLChanged})
        connect(&model, signal, this, &StatusBar::refresh);
    connect(&document, &ShotDocument::changed, this, &StatusBar::refresh);
    refresh();
}

QColor StatusBar::dotColour() const { return static_cast<StatusDot*>(dot_)->colour(); }

void StatusBar::refresh() {
    spinner_->setVisible(model_.busy());
    dot_->setVisible(!model_.busy());
    static_cast<StatusDot*>(dot_)->setColour(model_.recording() ? QColor(Qt::red) : EditorLook::accent());
    status_->setText(model_.status());
    EditorLook::setPlainToolTip(status_, model_.status());
    announcer_->announce(model_.status());

    const QImage& image = document_.image();
    const bool editing = !image.isNull() && !model_.videoURL() && !model_.flow().showingHome;
    pixelSize_->setVisible(editing);
    if (editing) pixelSize_->setText(QString::asprintf("%lld × %lld", qlonglong(image.width()), qlonglong(image.height())));
}

}  // namespace tavero
