#include "platform/JsonStream.h"
#include "platform/JsonValueBuilder.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

namespace {

// Keeps the whole value, as a reader that keeps everything would.
class Keeping final : public json::EventHandler {
public:
    bool null() override { return add(Json()); }
    bool boolean(bool value) override { return add(value); }
    bool number_integer(number_integer_t value) override { return add(value); }
    bool number_unsigned(number_unsigned_t value) override { return add(value); }
    bool number_float(number_float_t value, const string_t&) override { return add(value); }
    bool string(string_t& value) override { return add(value); }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool key(string_t& name) override {
        builder.key(name);
        return true;
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw json::DecodeError(error.what());
    }

    json::ValueBuilder builder;

private:
    bool add(Json value) {
        builder.add(std::move(value));
        return true;
    }
    bool open(Json container) {
        builder.open(std::move(container));
        return true;
    }
    bool close() {
        builder.close();
        return true;
    }
};

Json parsed(const QByteArray& text, const json::TextLimits& limits) {
    json::TextWatch watch(limits);
    Keeping keeping;
    json::parseWatched(text.constBegin(), text.constEnd(), watch, keeping);
    return keeping.builder.take();
}

constexpr json::TextLimits small{.depth = 2, .string = 8, .number = 4, .space = 3};

}  // namespace

// Each bound holds to the byte, counting a string as written, escapes and
// quotes included.
TEST(JsonStream, TakesEachValueUpToItsBoundAndNoFurther) {
    EXPECT_EQ(parsed(R"(["abcdef", 1234, -1e5, true])", small), Json::array({"abcdef", 1234, -1e5, true}));
    EXPECT_EQ(parsed(R"(["\"\"\""])", small), Json::array({"\"\"\""}));
    EXPECT_EQ(parsed(R"({"ab": [1]})", small), Json::parse(R"({"ab": [1]})"));
    EXPECT_THROW(parsed(R"(["abcdefg"])", small), json::BeyondLimit);
    EXPECT_THROW(parsed(R"(["\u0041\u0041"])", small), json::BeyondLimit) << "two letters in fourteen bytes";
    EXPECT_THROW(parsed(R"({"abcdefg": 1})", small), json::BeyondLimit) << "a key is a string";
    EXPECT_THROW(parsed("[12345]", small), json::BeyondLimit);
    EXPECT_THROW(parsed("[1,    2]", small), json::BeyondLimit);
    EXPECT_THROW(parsed("    [1]", small), json::BeyondLimit);
    EXPECT_THROW(parsed("[1]    ", small), json::BeyondLimit);
    EXPECT_THROW(parsed("[[[1]]]", small), json::BeyondLimit);
    EXPECT_THROW(parsed(R"({"a": {"b": {}}})", small), json::BeyondLimit);
}

// An ordered object's keys are const, so the vector holding its members
// copies them when it grows; a member nested deep was copied recursively,
// deeper than a thread's stack goes.
TEST(JsonValueBuilder, AddsMembersBesideADeepOneWithoutCopyingIt) {
    constexpr int depth = 1'000'000;
    QByteArray text = R"({"deep":)" + QByteArray(depth, '[') + QByteArray(depth, ']');
    for (char name = 'a'; name <= 'z'; ++name) text += QByteArray(",\"") + name + "\":" + QByteArray::number(name);
    text += R"(,"a":0})";
    const Json value = parsed(text, {.depth = depth + 1, .string = 8});
    ASSERT_EQ(value.size(), 27u);
    EXPECT_EQ(value.items().begin().key(), "deep");
    EXPECT_EQ(value["a"], 0) << "a later member of the same name stands where the first was";
    EXPECT_EQ(value["z"], int('z'));
}
