#pragma once

#include <QString>

#include <exception>
#include <string>

namespace tavero {

// The one error a user reads: a complete Chinese sentence, shown unchanged
// in the status line or an alert.
class ShotError : public std::exception {
public:
    explicit ShotError(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}

    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

    friend bool operator==(const ShotError& a, const ShotError& b) { return a.message_ == b.message_; }

private:
    QString message_;
    std::string utf8_;
};

}  // namespace tavero
