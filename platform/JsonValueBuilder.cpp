#include "platform/JsonValueBuilder.h"

#include <algorithm>
#include <utility>

namespace tavero::json {

Json ValueBuilder::take() {
    open_.clear();
    return std::exchange(value_, Json());
}

// Where `value` went: into the innermost open container, or the whole.
Json* ValueBuilder::place(Json value) {
    if (open_.empty()) {
        value_ = std::move(value);
        return &value_;
    }
    Json& container = *open_.back();
    if (container.is_array()) {
        container.push_back(std::move(value));
        return &container.back();
    }
    Json& slot = member(container.get_ref<Json::object_t&>());
    slot = std::move(value);
    return &slot;
}

// A later member of the same name stands, as in a parsed object. The keys
// of an ordered object are const, so the object grown as the vector it is
// would copy each member and all that it holds, recursively; the members
// are moved into a larger one instead.
Json& ValueBuilder::member(Json::object_t& members) {
    for (auto& [name, value] : members)
        if (name == key_) return value;
    if (members.size() == members.capacity()) {
        Json::object_t larger;
        larger.reserve(std::max<std::size_t>(8, 2 * members.size()));
        for (auto& [name, value] : members) larger.emplace_back(name, std::move(value));
        members.swap(larger);
    }
    members.emplace_back(std::move(key_), Json());
    return members.back().second;
}

}  // namespace tavero::json
