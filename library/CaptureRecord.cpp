#include "library/CaptureRecord.h"

#include "library/ManifestParser.h"

namespace tavero {

json::Json toJson(const CaptureRecord& record) {
    json::Json object = json::Json::object();
    object["id"] = json::fromString(json::uuidString(record.id));
    object["name"] = json::fromString(record.name);
    object["file"] = json::fromString(record.file);
    object["created"] = json::dateToJson(record.created);
    object["width"] = record.width;
    object["height"] = record.height;
    object["kind"] = json::fromString(record.kind);
    return object;
}

CaptureRecord captureRecordFromJson(const json::Json& value) {
    CaptureRecord record;
    record.id = json::requireUuid(value, "id");
    record.name = json::requireString(value, "name");
    record.file = json::requireString(value, "file");
    record.created = json::dateFromJson(json::requireDouble(value, "created"));
    record.width = json::requireInt(value, "width");
    record.height = json::requireInt(value, "height");
    record.kind = json::requireString(value, "kind");
    return record;
}

QByteArray encodeManifest(const QList<CaptureRecord>& records) {
    json::Json array = json::Json::array();
    for (const CaptureRecord& record : records) array.push_back(toJson(record));
    return json::dump(array);
}

QList<CaptureRecord> decodeManifest(const QByteArray& bytes) { return parseManifest(bytes); }

}  // namespace tavero
