#include "document/Ink.h"

namespace tavero {

const Ink Ink::teal{0.02, 0.57, 0.49, 1.0};

const std::array<Ink, 7> Ink::palette{{
    {0.97, 0.28, 0.25, 1.0},
    {0.02, 0.57, 0.49, 1.0},
    {0.98, 0.73, 0.18, 1.0},
    {0.22, 0.45, 0.88, 1.0},
    {0.74, 0.31, 0.72, 1.0},
    {0.12, 0.14, 0.16, 1.0},
    {1.0, 1.0, 1.0, 1.0},
}};

json::Json toJson(const Ink& ink) {
    json::Json object = json::Json::object();
    object["r"] = ink.r;
    object["g"] = ink.g;
    object["b"] = ink.b;
    object["a"] = ink.a;
    return object;
}

Ink inkFromJson(const json::Json& value) {
    return {json::requireDouble(value, "r"), json::requireDouble(value, "g"), json::requireDouble(value, "b"),
            json::requireDouble(value, "a")};
}

}  // namespace tavero
