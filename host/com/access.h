// access.h - property access by object kind, for the slot adapters: what a (document, object)
// pair names, and reading and setting its numbers, identifiers, strings and property lists.
// Every function answers one of the host's status codes (kStatusOk on success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/boundary.h"
#include "host/model/model.h"
#include "host/model/properties.h"

namespace tw::host {

class Host;

// What a (document, object) pair names.
struct Target {
    ObjKind kind = ObjKind::None;
    Document* doc = nullptr;
    Book* book = nullptr;
    MenuItem* menu = nullptr;
    ObjectId id = 0;
    ObjectId hint = 0;  // menus: the document argument, naming the menu an item is in
    bool batch = false; // a whole property list is being set: refresh once at its end
};

// Works out what (doc, obj) names: the application (0, 0), a document or book (doc 0 or the
// same id), a menu item, or an object inside a document or book.
int32_t Resolve(Model& m, ObjectId doc, ObjectId obj, Target& t);

// The paragraph properties of a paragraph or format target; null for any other kind.
PgfProps* PropsOf(Target& t);
// A property's value, or its initial value where the set does not hold it.
PropValue ValueOf(const PgfProps& props, const PropertyInfo& info);
// One of the application's font attribute lists (families, variations, weights, angles).
std::vector<std::string>& FontList(Model& m, int32_t list);

// Single values by property number.
int32_t GetNumber(Host& h, Target& t, int32_t prop, int32_t& out);
int32_t SetNumber(Host& h, Target& t, int32_t prop, int32_t value);
int32_t GetId(Host& h, Target& t, int32_t prop, ObjectId& out);
int32_t SetId(Host& h, Target& t, int32_t prop, ObjectId value);
int32_t GetString(Host& h, Target& t, int32_t prop, std::string& out);
int32_t SetString(Host& h, Target& t, int32_t prop, const std::string& value);

// Whole paragraph property lists: every modelled property, in the table's order, with
// buffers from the host's allocator; and a client's list applied entry by entry (the first
// failure is answered, the rest still apply, the override flag is worked out once).
int32_t BuildPropertyList(Host& h, Target& t, std::vector<PropertyEntry>& out);
int32_t ApplyPropertyList(Host& h, Target& t, const PropertyList& list);

} // namespace tw::host
