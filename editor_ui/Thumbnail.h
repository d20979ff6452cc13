#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace tavero {

// The small picture of one library entry: a reduced copy of the entry's image
// file, or, for a video and until the picture is ready, a grey placeholder
// with the symbol "video" or "photo". The picture fills the widget, cropped
// to its shape and clipped to its corner radius.
//
// The file is decoded on the worker pool, once the widget is visible and at
// most 110 pixels on the longer side; videos are never read. Pointed at
// another file, the widget drops the previous picture at once, and a picture
// arrives only while the widget still shows the file it was decoded from.
//
// Main thread.
class Thumbnail : public QWidget {
    Q_OBJECT
public:
    static constexpr int maxPixelSize = 110;

    Thumbnail(const QString& path, bool video, QWidget* parent = nullptr);

    // Shows another entry; nothing changes when it is the same one.
    void setFile(const QString& path, bool video);
    const QString& path() const { return path_; }
    bool isVideo() const { return video_; }
    // The decoded picture; null while the placeholder shows.
    const QImage& picture() const { return picture_; }
    // The placeholder's symbol name.
    QString placeholderSymbol() const;
    void setCornerRadius(double radius);

signals:
    // A decoded picture arrived.
    void pictureLoaded();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void load();
    void paintPlaceholder(QPainter& painter);

    QString path_;
    bool video_ = false;
    QImage picture_;
    double cornerRadius_ = 0;
    // Rises with every change of file, so a late picture of another file is dropped.
    quint64 generation_ = 0;
    bool requested_ = false;
};

}  // namespace tavero
