#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>

class QWidget;

namespace tavero {

// Tells screen readers, once, a sentence that changes away from the keyboard
// focus: the status line's, the recording bar's phase. Qt 6.4 has no
// announcement of its own (QAccessibleAnnouncementEvent came with 6.8) and
// its AT-SPI bridge passes no live-region attribute on, so each sentence is
// what screen readers speak of an object away from the focus: a
// notification that becomes shown, an invisible child of the widget that
// owns the sentence. Each sentence has one of its own, so that a reader
// reading it late reads that sentence, not a later one; the last few are
// kept for such readers, hidden once another is said.
//
// A sentence is said once the turn of the event loop that set it is over,
// so a quick run of sentences says only the last; one set while the owner is
// hidden (its window closed, not yet shown) is said when it shows. Showing
// it again says nothing new. Main thread.
class Announcer final : public QObject {
public:
    // `shown` is what the owner shows already, which is no news.
    explicit Announcer(QWidget& owner, const QString& shown = {});

    // Says `sentence` unless it is the one said or waiting last; an empty one
    // is never said.
    void announce(const QString& sentence);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sayWhenShown();
    void hideSaid();

    QWidget& owner_;
    QString sentence_;
    bool waiting_ = false;
    bool scheduled_ = false;
    std::deque<QPointer<QWidget>> said_;
};

}  // namespace tavero
