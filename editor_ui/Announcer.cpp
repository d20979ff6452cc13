#include "editor_ui/Announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QWidget>

namespace tavero {

namespace {

const char* const sentenceProperty = "tavero.announcedSentence";
// Sentences kept for a screen reader that reads them late.
constexpr size_t keptSentences = 8;

QAccessibleInterface* sentenceAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->property(sentenceProperty).toBool()) return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Notification);
}

QWidget* makeSentence(QWidget& owner, const QString& sentence) {
    auto* made = new QWidget(&owner);
    made->setProperty(sentenceProperty, true);
    // Qt may have made a plain interface while the widget was being made.
    QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(made);
    if (plain && plain->role() != QAccessible::Notification)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    made->setAccessibleName(sentence);
    made->setAttribute(Qt::WA_TransparentForMouseEvents);
    made->setGeometry(0, 0, 1, 1);
    return made;
}

}  // namespace

Announcer::Announcer(QWidget& owner, const QString& shown) : QObject(&owner), owner_(owner), sentence_(shown) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(sentenceAccessible);
        return true;
    }();
    owner.installEventFilter(this);
}

void Announcer::announce(const QString& sentence) {
    if (sentence == sentence_) return;
    sentence_ = sentence;
    waiting_ = !sentence.isEmpty();
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scheduled_ = false;
            sayWhenShown();
        },
        Qt::QueuedConnection);
}

// Screen readers hear of a notification as it shows.
void Announcer::sayWhenShown() {
    if (!waiting_ || !owner_.isVisible()) return;
    waiting_ = false;
    hideSaid();
    QWidget* sentence = makeSentence(owner_, sentence_);
    sentence->show();
    said_.push_back(sentence);
    while (said_.size() > keptSentences) {
        if (said_.front()) said_.front()->deleteLater();
        said_.pop_front();
    }
}

void Announcer::hideSaid() {
    if (!said_.empty() && said_.back()) said_.back()->hide();
}

bool Announcer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &owner_) {
        // Hidden with its owner, the last sentence is not said again when the owner shows.
        if (event->type() == QEvent::Hide) hideSaid();
        if (event->type() == QEvent::Show) sayWhenShown();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tavero
