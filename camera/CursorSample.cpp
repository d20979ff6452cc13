#include "camera/CursorSample.h"

#include "camera/FiniteNumber.h"

namespace tavero {

json::Json toJson(const CursorSample& sample) {
    json::Json object = json::Json::object();
    object["time"] = finiteNumber(sample.time);
    object["x"] = finiteNumber(sample.x);
    object["y"] = finiteNumber(sample.y);
    object["inside"] = sample.inside;
    object["clicked"] = sample.clicked;
    return object;
}

CursorSample cursorSampleFromJson(const json::Json& value) {
    return {json::requireDouble(value, "time"), json::requireDouble(value, "x"), json::requireDouble(value, "y"),
            json::requireBool(value, "inside"), json::requireBool(value, "clicked")};
}

}  // namespace tavero
