#include "library/ManifestParser.h"

#include "platform/JsonStream.h"
#include "platform/JsonValueBuilder.h"
#include "platform/files/RegularFileStream.h"

namespace tavero {

namespace {

using json::Json;

// How deep the parts of a manifest lie: the records in their array, and the
// values of a record's keys.
constexpr int recordDepth = 1;
constexpr int fieldDepth = 2;
// A record of ours holds seven values; the rest is room for the keys of a
// later version, as are the levels below a record's own values.
constexpr qsizetype maxValuesInRecord = 100;
constexpr int maxDepth = fieldDepth + 4;

// A name and a file are a file name of at most 255 bytes, each written at
// worst as a six-byte escape; the rest is room for another writer's names.
constexpr json::TextLimits textLimits{.depth = maxDepth, .string = 4096};

[[noreturn]] void malformed(const std::string& what) { throw json::DecodeError(what); }
[[noreturn]] void beyond(const std::string& what) { throw json::BeyondLimit(what); }

class Parser final : public json::ValueEvents {
public:
    QList<CaptureRecord> records() && { return std::move(records_); }

    bool key(string_t& name) override {
        record_.key(std::move(name));
        return true;
    }

private:
    bool scalar(Json value) override {
        if (depth_ < fieldDepth) malformed(depth_ == 0 ? "the manifest is not an array" : "a record is not an object");
        countValue();
        record_.add(std::move(value));
        return true;
    }

    bool open(Json container) override {
        if (depth_ == 0) {
            if (!container.is_array()) malformed("the manifest is not an array");
        } else if (depth_ == recordDepth) {
            beginRecord(container);
        } else {
            countValue();
            record_.open(std::move(container));
        }
        ++depth_;
        return true;
    }

    bool close() override {
        --depth_;
        if (depth_ == 0) return true;
        record_.close();
        if (depth_ == recordDepth) records_.append(captureRecordFromJson(record_.take()));
        return true;
    }

    void beginRecord(const Json& container) {
        if (!container.is_object()) malformed("a record is not an object");
        if (records_.size() >= maxManifestRecords) beyond("more records than a history holds");
        values_ = 0;
        record_.open(Json::object());
    }

    void countValue() {
        if (++values_ > maxValuesInRecord) beyond("a record with more values than a record holds");
    }

    int depth_ = 0;
    QList<CaptureRecord> records_;
    // The record being read.
    json::ValueBuilder record_;
    qsizetype values_ = 0;
};

template <typename Iterator>
QList<CaptureRecord> parse(Iterator begin, Iterator end) {
    json::TextWatch watch(textLimits);
    Parser parser;
    json::parseWatched(std::move(begin), std::move(end), watch, parser);
    return std::move(parser).records();
}

}  // namespace

QList<CaptureRecord> parseManifest(const QByteArray& text) { return parse(text.constBegin(), text.constEnd()); }

QList<CaptureRecord> parseManifest(RegularFileStream& file) { return parse(file.begin(), file.end()); }

}  // namespace tavero
