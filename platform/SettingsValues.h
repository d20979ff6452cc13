#pragma once

#include <QSettings>
#include <QString>

#include <optional>

namespace tavero {

// Typed reads of the user defaults. QSettings keeps them in an INI file on
// Linux and hands every value back as a string, so a Boolean written as
// `false` reads as "false" and a number as its digits; these reads accept
// both the typed value and its text. Any thread, with its own QSettings.
namespace SettingsValues {

// A Boolean, or the text "true" or "false"; none when the key is absent or
// holds anything else.
std::optional<bool> readBool(const QSettings& settings, const QString& key);

// A number, or text that is one number in the C locale ("0.65", "-3");
// none when the key is absent or holds anything else.
std::optional<double> readNumber(const QSettings& settings, const QString& key);

}  // namespace SettingsValues
}  // namespace tavero
