#pragma once

#include "document/DocumentSnapshot.h"
#include "document/EditLimit.h"
#include "document/Ink.h"
#include "document/Mark.h"
#include "document/MarkTool.h"
#include "document/ObscureSettings.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

namespace tavero {

// The one editable screenshot of the application: the image, its marks in
// drawing order, the settings the next mark is made with, the selection, the
// inline text session and the snapshot undo history.
//
// Lives on the main thread, and every call happens there. Each operation
// emits changed() exactly once, after its final state is in place; views
// re-read the document on it. Operations never report failures: one that
// needs an image does nothing on an empty document. An edit that would take
// the marks past markLimits stops at the bound, keeps what was made, and
// emits limitReached() for the status line.
class ShotDocument : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage image READ image NOTIFY changed)
    Q_PROPERTY(QUuid contentID READ contentID NOTIFY changed)
    Q_PROPERTY(QList<tavero::Mark> marks READ marks NOTIFY changed)
    Q_PROPERTY(tavero::MarkTool tool READ tool NOTIFY changed)
    Q_PROPERTY(tavero::Ink ink READ ink NOTIFY changed)
    Q_PROPERTY(double lineWidth READ lineWidth WRITE setLineWidth NOTIFY changed)
    Q_PROPERTY(QString text READ text NOTIFY changed)
    Q_PROPERTY(double fontSize READ fontSize NOTIFY changed)
    Q_PROPERTY(tavero::ObscureSettings obscureSettings READ obscureSettings NOTIFY changed)
    Q_PROPERTY(std::optional<QUuid> selected READ selected NOTIFY changed)
    Q_PROPERTY(qint64 revision READ revision NOTIFY changed)
    Q_PROPERTY(QString name READ name NOTIFY changed)
    Q_PROPERTY(double zoom READ zoom WRITE setZoom NOTIFY changed)
    Q_PROPERTY(bool actualPixels READ actualPixels WRITE setActualPixels NOTIFY changed)
    Q_PROPERTY(std::optional<QPointF> textInsertionPoint READ textInsertionPoint NOTIFY changed)
    Q_PROPERTY(bool isEditingText READ isEditingText NOTIFY changed)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY changed)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY changed)

public:
    // The most undo steps kept; the oldest is dropped beyond it.
    static constexpr int undoLimit = 30;

    explicit ShotDocument(QObject* parent = nullptr);

    const QImage& image() const { return image_; }
    QUuid contentID() const { return contentID_; }
    const QList<Mark>& marks() const { return marks_; }
    MarkTool tool() const { return tool_; }
    Ink ink() const { return ink_; }
    double lineWidth() const { return lineWidth_; }
    const QString& text() const { return text_; }
    double fontSize() const { return fontSize_; }
    ObscureSettings obscureSettings() const { return obscureSettings_; }
    std::optional<QUuid> selected() const { return selected_; }
    // Rises with every change of the image or the marks; image work started
    // elsewhere applies its result only while it is unchanged.
    qint64 revision() const { return revision_; }
    const QString& name() const { return name_; }
    double zoom() const { return zoom_; }
    bool actualPixels() const { return actualPixels_; }
    std::optional<QPointF> textInsertionPoint() const { return textInsertionPoint_; }
    bool isEditingText() const { return isEditingText_; }
    bool canUndo() const { return !undoStack_.isEmpty(); }
    bool canRedo() const { return !redoStack_.isEmpty(); }
    // The selected text label, only while the text or the move tool is active.
    std::optional<Mark> selectedText() const;
    // How many more points the marks may hold (markLimits::maxProjectPoints).
    qsizetype pointsLeft() const;
    // How much longer the pen strokes may grow (markLimits::maxProjectStrokeLength).
    double strokeLengthLeft() const;
    // Whether `mark` may be added within markLimits; when not, emits
    // limitReached() with the bound it would pass.
    bool hasRoomFor(const Mark& mark);
    // How much text the label being typed (the selected one, or the next)
    // may hold, and the bound that sets it.
    struct TextRoom {
        qsizetype length;
        EditLimit limit;
    };
    TextRoom textRoom() const;
    // For the canvas, which stops a pen stroke at a bound itself.
    void reportLimit(EditLimit limit) { emit limitReached(limit); }

    // Direct writes of the zoom controls, the width slider and a move drag
    // on the canvas; none of them records an undo step or raises revision.
    void setZoom(double zoom);
    void setActualPixels(bool actualPixels);
    void setLineWidth(double width);
    void setMarkPoints(const QUuid& id, const QList<QPointF>& points);

    // Loads new content: clears the selection, the text session and both
    // stacks, resets the zoom and renews contentID. Drawing settings stay.
    void open(const QImage& image, const QString& name, const QList<Mark>& marks = {});
    // The image with its marks burnt in; throws ShotError.
    QImage rendered() const;

    // Undo history.
    void checkpoint();
    void undo();
    void redo();
    // Closes the current group of text or font-size edits, so the next one
    // starts a new undo step.
    void finishTextEditing();

    // Mark editing. A mark past markLimits is not added (hasRoomFor); one
    // that shows no text is added without any (showsText).
    void add(const Mark& mark);
    void select(const std::optional<QUuid>& id);
    void choose(MarkTool tool);
    void deleteSelected();
    void replace(const QImage& image);
    // Burns the marks in and keeps the pixels of `rect` (image pixels,
    // widened to whole pixels and cut at the image edge).
    void crop(const QRectF& rect);
    void changeInk(const Ink& ink);
    void changeFontSize(double size);
    void checkpointObscureChange();
    void changeObscure(const ObscureSettings& settings, bool checkpoint);

    // Inline text session.
    void newText();
    void placeText(const QPointF& point);
    void beginTextInput();
    // Keeps as much of `typed` as textRoom() allows, cut between characters.
    // No new label is made once no mark may be added.
    void changeText(const QString& typed);
    void endTextInput(bool cancelled);

signals:
    void changed();
    // An edit stopped at `limit`; emitted before the edit's changed().
    void limitReached(tavero::EditLimit limit);

private:
    enum class GroupedProperty { text, fontSize };
    struct TextChangeGroup {
        QUuid id;
        GroupedProperty property;
    };
    // What cancelling an inline text session returns to.
    struct TextInputSnapshot {
        DocumentSnapshot document;
        QString text;
        QList<DocumentSnapshot> undo;
        QList<DocumentSnapshot> redo;
    };

    // Gathers the nested operations of one call into a single changed().
    class ChangeScope {
    public:
        explicit ChangeScope(ShotDocument& document) : document_(document) { ++document_.operationDepth_; }
        ~ChangeScope() {
            if (--document_.operationDepth_ == 0) emit document_.changed();
        }
        ChangeScope(const ChangeScope&) = delete;
        ChangeScope& operator=(const ChangeScope&) = delete;

    private:
        ShotDocument& document_;
    };

    DocumentSnapshot snapshot() const;
    void checkpointTextChange(GroupedProperty property, const QUuid& id);
    void step(QList<DocumentSnapshot>& from, QList<DocumentSnapshot>& to);
    Mark* findMark(const QUuid& id);
    const Mark* selectedMark() const;
    void loadSelectedText();
    Mark newLabel(const QPointF& anchor, const QString& text) const;
    std::optional<EditLimit> limitFor(const Mark& mark) const;

    QImage image_;
    QUuid contentID_ = QUuid::createUuid();
    QList<Mark> marks_;
    MarkTool tool_ = MarkTool::arrow;
    Ink ink_ = Ink::palette[0];
    double lineWidth_ = 8.0;
    QString text_;
    double fontSize_ = 64.0;
    ObscureSettings obscureSettings_;
    std::optional<QUuid> selected_;
    qint64 revision_ = 0;
    QString name_ = QStringLiteral("新截图");
    double zoom_ = 1.0;
    bool actualPixels_ = false;
    std::optional<QPointF> textInsertionPoint_;
    bool isEditingText_ = false;

    QList<DocumentSnapshot> undoStack_;
    QList<DocumentSnapshot> redoStack_;
    std::optional<TextChangeGroup> textChangeGroup_;
    std::optional<TextInputSnapshot> textInputSnapshot_;
    int operationDepth_ = 0;
};

}  // namespace tavero
