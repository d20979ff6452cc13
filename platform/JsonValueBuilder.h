#pragma once

#include "platform/Json.h"

#include <string>
#include <vector>

namespace tavero::json {

// Builds one value from a parser's events, containers and all. The depth it
// builds to is the parser's to bound; no step recurses, whatever the depth.
// One value at a time; any thread.
class ValueBuilder {
public:
    // The name of the member that the next value or container becomes.
    void key(std::string name) { key_ = std::move(name); }
    void add(Json value) { place(std::move(value)); }
    void open(Json container) { open_.push_back(place(std::move(container))); }
    void close() { open_.pop_back(); }
    // The value built, leaving the builder empty.
    Json take();

private:
    Json* place(Json value);
    Json& member(Json::object_t& members);

    Json value_;
    // Only the innermost open container grows while it is open, so the
    // pointers to those around it stay valid.
    std::vector<Json*> open_;
    std::string key_;
};

}  // namespace tavero::json
