// pgf_props.h - a paragraph property set shared between copies until one of them changes (copy
// on write): a paragraph and its format, or the running state of a MIF reader and each paragraph
// it makes, hold one map until a property of one of them is set; and the values it holds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "bridge/boundary.h"

namespace tw::host {

template <class Value> class SharedPropMap {
public:
    using Map = std::map<int32_t, Value>;
    using value_type = typename Map::value_type;
    using const_iterator = typename Map::const_iterator;

    SharedPropMap() = default;
    SharedPropMap(std::initializer_list<value_type> init) : map_(std::make_shared<Map>(init)) { }

    // Reading never copies. Iterators are read-only; they stay valid until this set is changed.
    const_iterator find(int32_t key) const { return map().find(key); }
    const_iterator begin() const { return map().begin(); }
    const_iterator end() const { return map().end(); }
    size_t count(int32_t key) const { return map().count(key); }
    size_t size() const { return map().size(); }
    bool empty() const { return map().empty(); }
    const Value& at(int32_t key) const { return map().at(key); }

    // Changing: the map is copied first when another set still shares it.
    Value& operator[](int32_t key) { return own()[key]; }
    size_t erase(int32_t key) { return map().count(key) ? own().erase(key) : 0; }
    void clear() { map_.reset(); }

    // Two sets sharing one map are equal without comparing it.
    bool operator==(const SharedPropMap& other) const { return map_ == other.map_ || map() == other.map(); }
    // Whether two sets share their map (tests).
    bool sharesWith(const SharedPropMap& other) const { return map_ && map_ == other.map_; }
    // The map this set reads, the same for every set sharing it; null when empty (memory estimates).
    const Map* shared() const { return map_.get(); }

private:
    const Map& map() const
    {
        static const Map empty;
        return map_ ? *map_ : empty;
    }
    Map& own()
    {
        if (!map_)
            map_ = std::make_shared<Map>();
        else if (map_.use_count() > 1)
            map_ = std::make_shared<Map>(*map_);
        return *map_;
    }
    std::shared_ptr<Map> map_;
};

// ---- the values a set holds ------------------------------------------------------------

// One tab stop as the host keeps it (positions in 1/65536 point).
struct TabStop {
    int32_t position = 0;
    int32_t kind = TAB_LEFT; // TabKind
    std::string leader;      // UTF-8
    int32_t decimal = '.';   // the decimal character (a byte)
    bool operator==(const TabStop&) const = default;
};

// A paragraph property value. Integers, metrics, booleans and enumerations are int32_t;
// strings (and names standing for objects: colours, fonts) are UTF-8; tab lists are vectors.
using PropValue = std::variant<int32_t, std::string, std::vector<TabStop>>;

// Every modelled paragraph property by number (see properties.h for the table). The tag
// (property 20) is kept outside, in Paragraph::tag / PgfFormat::name.
using PgfProps = SharedPropMap<PropValue>;

} // namespace tw::host
