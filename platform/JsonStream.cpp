#include "platform/JsonStream.h"

namespace tavero::json {

namespace {

// White space and the separators that the parser reports no event for.
bool isSpace(char byte) {
    return byte == ' ' || byte == '\n' || byte == '\r' || byte == '\t' || byte == ',' || byte == ':';
}

// A byte of a number, true, false or null.
bool isWordByte(char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           byte == '+' || byte == '-' || byte == '.';
}

}  // namespace

// The parser reads a number one byte past its end before reporting it: that
// byte counts as space, and the parser reads it again from its own memory.
// A structural character is reported as soon as it is read.
void TextWatch::take(char byte) {
    if (byte == '\0') throw DecodeError("a NUL byte");
    switch (token_) {
    case Token::none:
        if (isSpace(byte)) return grow(space_, limits_.space);
        token_ = byte == '"' ? Token::string : Token::other;
        return grow(length_, token_ == Token::string ? stringLimit_ : limits_.number);
    case Token::string:
        if (byte == '\\') token_ = Token::escape;
        if (byte == '"') token_ = Token::ended;
        return grow(length_, stringLimit_);
    case Token::escape:
        token_ = Token::string;
        return grow(length_, stringLimit_);
    case Token::other:
        if (isWordByte(byte)) return grow(length_, limits_.number);
        token_ = Token::ended;
        return grow(space_, limits_.space);
    case Token::ended: return grow(space_, limits_.space);
    }
}

void TextWatch::grow(qsizetype& length, qsizetype limit) const {
    if (++length > limit && limit >= 0) throw BeyondLimit("a value longer than the text may hold");
}

void TextWatch::eventSeen() {
    stringLimit_ = limits_.string;
    token_ = Token::none;
    space_ = 0;
    length_ = 0;
}

bool WatchedEvents::null() {
    watch_.eventSeen();
    return handler_.null();
}

bool WatchedEvents::boolean(bool value) {
    watch_.eventSeen();
    return handler_.boolean(value);
}

bool WatchedEvents::number_integer(number_integer_t value) {
    watch_.eventSeen();
    return handler_.number_integer(value);
}

bool WatchedEvents::number_unsigned(number_unsigned_t value) {
    watch_.eventSeen();
    return handler_.number_unsigned(value);
}

bool WatchedEvents::number_float(number_float_t value, const string_t& text) {
    watch_.eventSeen();
    return handler_.number_float(value, text);
}

bool WatchedEvents::string(string_t& value) {
    watch_.eventSeen();
    return handler_.string(value);
}

bool WatchedEvents::binary(binary_t& value) {
    watch_.eventSeen();
    return handler_.binary(value);
}

bool WatchedEvents::start_object(std::size_t elements) {
    open();
    return handler_.start_object(elements);
}

bool WatchedEvents::key(string_t& name) {
    watch_.eventSeen();
    return handler_.key(name);
}

bool WatchedEvents::end_object() {
    watch_.eventSeen();
    --depth_;
    return handler_.end_object();
}

bool WatchedEvents::start_array(std::size_t elements) {
    open();
    return handler_.start_array(elements);
}

bool WatchedEvents::end_array() {
    watch_.eventSeen();
    --depth_;
    return handler_.end_array();
}

bool WatchedEvents::parse_error(std::size_t position, const std::string& token,
                                const nlohmann::detail::exception& error) {
    return handler_.parse_error(position, token, error);
}

// Refused before the handler hears of it, so that no handler builds or
// counts its way down a nesting of any depth.
void WatchedEvents::open() {
    watch_.eventSeen();
    if (++depth_ > watch_.limits().depth) throw BeyondLimit("values nested deeper than the text may hold");
}

}  // namespace tavero::json
