#include "library/CaptureRecord.h"
#include "library/ManifestParser.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

namespace {

CaptureRecord sampleRecord() {
    return {QUuid::fromString(QStringLiteral("3f9a1c2d-4e5f-4a6b-8c7d-9e0f1a2b3c4d")),
            QStringLiteral("截图_2026-03-05_14-07-09_3F9A1C.png"),
            QStringLiteral("截图_2026-03-05_14-07-09_3F9A1C.png"),
            json::dateFromJson(794412429.5),
            1280,
            800,
            CaptureRecord::imageKind};
}

}  // namespace

TEST(CaptureRecordCoding, WritesCompactRecordsWithTheKeysInOrder) {
    const QByteArray text = encodeManifest({sampleRecord()});
    EXPECT_EQ(text, QByteArray("[{\"id\":\"3F9A1C2D-4E5F-4A6B-8C7D-9E0F1A2B3C4D\","
                               "\"name\":\"截图_2026-03-05_14-07-09_3F9A1C.png\","
                               "\"file\":\"截图_2026-03-05_14-07-09_3F9A1C.png\","
                               "\"created\":794412429.5,\"width\":1280,\"height\":800,\"kind\":\"image\"}]"))
        << text.constData();
    EXPECT_EQ(encodeManifest({}), QByteArray("[]"));
}

TEST(CaptureRecordCoding, ReadsAnyKeyOrderWhiteSpaceAndIdCase) {
    const QByteArray text = R"([ {"kind": "image", "height": 800, "width": 1280, "created": 794412429.5,
        "file": "截图_2026-03-05_14-07-09_3F9A1C.png", "extra": true,
        "name": "截图_2026-03-05_14-07-09_3F9A1C.png", "id": "3f9a1c2d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"} ])";
    const QList<CaptureRecord> records = decodeManifest(text);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first(), sampleRecord());
}

TEST(CaptureRecordDecoding, OneBadRecordFailsTheWholeManifest) {
    for (const char* key : {"id", "name", "file", "created", "width", "height", "kind"}) {
        Json broken = toJson(sampleRecord());
        broken.erase(key);
        const Json manifest = Json::array({toJson(sampleRecord()), broken});
        EXPECT_THROW(decodeManifest(json::dump(manifest)), json::DecodeError) << "without " << key;
    }
    const std::pair<const char*, Json> mistyped[] = {
        {"width", 12.5}, {"height", "800"}, {"created", "yesterday"}, {"id", "not-a-uuid"}, {"kind", 1},
    };
    for (const auto& [key, value] : mistyped) {
        Json broken = toJson(sampleRecord());
        broken[key] = value;
        EXPECT_THROW(decodeManifest(json::dump(Json::array({broken}))), json::DecodeError) << key;
    }
    EXPECT_THROW(decodeManifest("{}"), json::DecodeError);
    EXPECT_THROW(decodeManifest("[{]"), json::DecodeError);
}

// What a manifest of ours or of another writer gives: its records as they
// are, duplicates, unknown keys and all; anything that is no array of whole
// records fails as a whole.
TEST(CaptureRecordDecoding, KeepsWhatAManifestHoldsAndFailsWhatIsNoManifest) {
    const QByteArray record = json::dump(toJson(sampleRecord()));
    const QByteArray fields = record.mid(1, record.size() - 2);
    CaptureRecord escaped = sampleRecord();
    escaped.name = QStringLiteral("截图.png");
    CaptureRecord foreign = sampleRecord();
    foreign.created = json::dateFromJson(794412429);
    foreign.width = -1;
    foreign.kind = QStringLiteral("gif");
    const CaptureRecord sample = sampleRecord();
    const std::pair<QByteArray, QList<CaptureRecord>> read[] = {
        {"[]", {}},
        {" \r\n\t[ ]\n", {}},
        {"[" + record + "," + record + "]", {sample, sample}},
        {R"([{"width":1,"kind":"video",)" + fields + "}]", {sample}},
        {"[{" + fields + R"(,"later":{"a":[1,{"b":null}],"c":"x"},"more":[]}])", {sample}},
        {"[{" + fields + R"(,"name":"\u622a\u56fe.png"}])", {escaped}},
        {"[{" + fields + R"(,"created":794412429,"width":-1,"kind":"gif"}])", {foreign}},
    };
    for (const auto& [text, records] : read) EXPECT_EQ(decodeManifest(text), records) << text.constData();

    const QByteArray failing[] = {
        "", "5", "\"[]\"", "null", "{}", "[1]", "[null]", "[[]]", "[" + record, "[" + record + "] x",
        "[{" + fields + R"(,"id":null}])",
        "[{" + fields + R"(,"width":9223372036854775808}])", "[{" + fields + R"(,"name":"\ud800"}])",
    };
    for (const QByteArray& text : failing) EXPECT_THROW(decodeManifest(text), json::DecodeError) << text.constData();
}

// Each part of a manifest is bounded by what a history of ours holds, with
// room for the keys of a later version: past its bound the manifest is
// refused as it is read, where the parser once took anything.
TEST(CaptureRecordDecoding, AManifestPastABoundIsRefusedAndOneAtItIsRead) {
    const QByteArray record = json::dump(toJson(sampleRecord()));
    const QByteArray fields = record.mid(1, record.size() - 2);
    const auto withLater = [&](const QByteArray& value) { return "[{" + fields + R"(,"later":)" + value + "}]"; };
    const auto nested = [](int depth) { return QByteArray(depth, '[') + QByteArray(depth, ']'); };
    const auto values = [](int count) { return "[" + QByteArray("0,").repeated(count - 1) + "0]"; };
    const auto named = [&](qsizetype length) { return "[{" + fields + R"(,"name":")" + QByteArray(length, 'x') + "\"}]"; };
    const QByteArray least = R"({"id":"3F9A1C2D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","name":"","file":"","created":0,"width":0,)"
                             R"("height":0,"kind":""},)";
    QByteArray most = "[" + least.repeated(maxManifestRecords);
    most.chop(1);
    const std::pair<QByteArray, QByteArray> bounds[] = {
        // A later key's value may nest four deep, and a record hold a hundred values.
        {withLater(nested(4)), withLater(nested(5))},
        {withLater(values(92)), withLater(values(93))},
        // A name as long as any file's, written as escapes, and then some.
        {named(4094), named(4095)},
        {most + "]", most + "," + least.chopped(1) + "]"},
        // A NUL byte, which the parser took for the end, hid what follows.
        {"[" + record + "] ", "[" + record + "]" + QByteArray("\0x", 2)},
    };
    for (const auto& [read, refused] : bounds) {
        const std::string what = refused.left(80).toStdString();
        EXPECT_NO_THROW(decodeManifest(read)) << what;
        EXPECT_THROW(decodeManifest(refused), json::DecodeError) << what;
    }
}
