#include "app/HotKeys.h"

#include "platform/desktop/GlobalHotKeys.h"

#include <QStringList>

namespace tavero {

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;

}  // namespace

const QList<HotKeys::Key>& HotKeys::table() {
    static const QList<Key> keys{
        {1, QLatin1Char('1'), ShellCommand::openEditor},   {2, QLatin1Char('2'), ShellCommand::area},
        {6, QLatin1Char('6'), ShellCommand::full},         {8, QLatin1Char('8'), ShellCommand::record},
        {9, QLatin1Char('9'), ShellCommand::addScroll},    {10, QLatin1Char('P'), ShellCommand::pauseRecording},
    };
    return keys;
}

std::optional<ShellCommand> HotKeys::command(quint32 identifier) {
    for (const Key& key : table())
        if (key.identifier == identifier) return key.command;
    return std::nullopt;
}

QString HotKeys::keyName(quint32 identifier) {
    const QString key = identifier == 10 ? QStringLiteral("P") : QString::number(identifier);
    return QStringLiteral("Ctrl+Shift+") + key;
}

QString HotKeys::occupiedMessage(const QList<quint32>& identifiers) {
    QStringList names;
    for (quint32 identifier : identifiers) names.append(keyName(identifier));
    return QStringLiteral("这些快捷键被占用：") + names.join(QStringLiteral("、")) + QStringLiteral("。仍可使用菜单截图。");
}

HotKeys::HotKeys(std::unique_ptr<GlobalHotKeys> keys) : keys_(std::move(keys)) {}

HotKeys::~HotKeys() = default;

QList<quint32> HotKeys::registerAll() {
    QList<quint32> refused;
    if (keys_) {
        keys_->setPressed([this](quint32 identifier) {
            if (action_) action_(identifier);
        });
    }
    for (const Key& key : table())
        if (!keys_ || !keys_->grab(key.identifier, key.key, chord)) refused.append(key.identifier);
    return refused;
}

}  // namespace tavero
