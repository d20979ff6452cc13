#pragma once

#include "platform/Json.h"

#include <QtGlobal>

#include <cstddef>
#include <iterator>
#include <utility>

namespace tavero::json {

// Text past what a reader takes: a value too long, nested too deep, or more
// values than the reader's format holds.
class BeyondLimit : public DecodeError {
public:
    using DecodeError::DecodeError;
};

// What the text between two parse events may hold, in bytes as written. The
// parser gathers a whole token before it reports it, so these bound what it
// holds at once, however long the text.
struct TextLimits {
    // Containers open at once, the outermost counted.
    int depth = 1;
    // One string or key, its quotes and escapes included.
    qsizetype string = 0;
    // One number, true, false or null. Writers put a double in 24 bytes (17
    // digits, sign, point and exponent); this leaves room for fixed notation.
    qsizetype number = 64;
    // The white space and separators before a token: a pretty printer's
    // indentation at any depth a reader takes is a few dozen.
    qsizetype space = 1024;
};

// Watches the bytes a parser takes between two of its events, and throws at
// the first byte past `limits`. Also refuses a NUL byte, which JSON text
// never holds and the parser would take for the end of the text, passing
// over whatever follows. One parse, one thread.
class TextWatch {
public:
    explicit TextWatch(const TextLimits& limits) : limits_(limits), stringLimit_(limits.string) {}

    const TextLimits& limits() const { return limits_; }

    void take(char byte);
    // The parser reported a token: what follows starts afresh.
    void eventSeen();
    // The next string may hold `length` bytes, its quotes included, as a
    // picture stored in it does.
    void allowLongString(qsizetype length) { stringLimit_ = length; }

private:
    enum class Token { none, string, escape, other, ended };

    void grow(qsizetype& length, qsizetype limit) const;

    TextLimits limits_;
    qsizetype stringLimit_;
    Token token_ = Token::none;
    qsizetype space_ = 0;
    qsizetype length_ = 0;
};

// Bytes from `Inner` for the parser, each shown to a TextWatch as it is taken.
template <typename Inner>
class WatchedBytes {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    WatchedBytes() = default;
    WatchedBytes(Inner inner, TextWatch* watch) : inner_(std::move(inner)), watch_(watch) {}

    char operator*() const { return *inner_; }
    WatchedBytes& operator++() {
        watch_->take(*inner_);
        ++inner_;
        return *this;
    }
    void operator++(int) { ++*this; }
    bool operator==(const WatchedBytes& other) const { return inner_ == other.inner_; }

private:
    Inner inner_{};
    TextWatch* watch_ = nullptr;
};

using EventHandler = nlohmann::json_sax<Json>;

// Passes the parser's events on to a handler, telling the watch of each and
// counting the containers open.
class WatchedEvents final : public EventHandler {
public:
    WatchedEvents(TextWatch& watch, EventHandler& handler) : watch_(watch), handler_(handler) {}

    bool null() override;
    bool boolean(bool value) override;
    bool number_integer(number_integer_t value) override;
    bool number_unsigned(number_unsigned_t value) override;
    bool number_float(number_float_t value, const string_t& text) override;
    bool string(string_t& value) override;
    bool binary(binary_t& value) override;
    bool start_object(std::size_t elements) override;
    bool key(string_t& name) override;
    bool end_object() override;
    bool start_array(std::size_t elements) override;
    bool end_array() override;
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) override;

private:
    void open();

    TextWatch& watch_;
    EventHandler& handler_;
    int depth_ = 0;
};

// A handler that hears each value as a scalar, a container opened or the
// innermost one closed, and keys as they come; a malformed text ends the
// parse with DecodeError.
class ValueEvents : public EventHandler {
public:
    bool null() override { return scalar(Json()); }
    bool boolean(bool value) override { return scalar(Json(value)); }
    bool number_integer(number_integer_t value) override { return scalar(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return scalar(Json(value)); }
    bool string(string_t& value) override { return scalar(Json(std::move(value))); }
    bool binary(binary_t&) override { return true; }  // JSON text holds none
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw DecodeError(error.what());
    }

protected:
    virtual bool scalar(Json value) = 0;
    virtual bool open(Json container) = 0;
    virtual bool close() = 0;
};

// Parses `begin`…`end` as one JSON value with `handler`, refusing with
// BeyondLimit at the first byte or container past the watch's limits and
// with DecodeError text that is no JSON or holds a NUL byte; whatever the
// handler throws passes through. The parse goes no further than the
// failure, so the rest of the text is never read.
template <typename Iterator>
void parseWatched(Iterator begin, Iterator end, TextWatch& watch, EventHandler& handler) {
    WatchedEvents events(watch, handler);
    using Bytes = WatchedBytes<Iterator>;
    if (!Json::sax_parse(Bytes(std::move(begin), &watch), Bytes(std::move(end), &watch), &events))
        throw DecodeError("the parse stopped");
}

}  // namespace tavero::json
