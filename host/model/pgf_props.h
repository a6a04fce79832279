// pgf_props.h - a paragraph property set that stores only what differs from the set it was
// copied from, and the values it holds. A copy shares the original's layer; its first change
// puts a small layer on top (the values set, the keys erased), so a paragraph that overrides two
// of its format's properties holds two entries and a pointer to the format's set.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "bridge/boundary.h"

namespace tw::host {

// Reads see the merged view of a chain of layers, top first: a layer's entry wins over its
// bases', a key it erased hides theirs. A layer that other sets or layers still use is never
// changed. Chains stay short: a change to a set whose chain is kMaxDepth bases deep starts from
// the differences against the bottom layer, and a layer whose differences outgrow half of its
// base becomes a whole set of its own. A look-up is at most kMaxDepth + 1 binary searches.
template <class Value> class SharedPropMap {
    struct Layer;

public:
    using value_type = std::pair<int32_t, Value>;
    static constexpr int kMaxDepth = 4;

    // In key order over the merged view. Read-only; valid until the set is changed.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = SharedPropMap::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = const value_type*;
        using reference = const value_type&;

        const_iterator() = default;
        reference operator*() const { return *at_; }
        pointer operator->() const { return at_; }
        const_iterator& operator++()
        {
            advance();
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator was = *this;
            advance();
            return was;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        friend class SharedPropMap;
        struct Cursor {
            const value_type* pos = nullptr;
            const value_type* end = nullptr;
            const Layer* layer = nullptr;
        };
        void advance();
        void placeAt(int32_t key);
        void settle();

        const Layer* top_ = nullptr;
        const value_type* at_ = nullptr; // the entry shown; null at the end
        std::array<Cursor, kMaxDepth + 1> levels_{};
        int levelCount_ = 0; // 0 until the cursors are placed (find places none)
    };

    // What operator[] answers: assigning through it sets the value.
    class Ref {
    public:
        template <class T> Ref& operator=(T&& value)
        {
            set_.set(key_, Value(std::forward<T>(value)));
            return *this;
        }

    private:
        friend class SharedPropMap;
        Ref(SharedPropMap& set, int32_t key) : set_(set), key_(key) { }
        SharedPropMap& set_;
        int32_t key_;
    };

    SharedPropMap() = default;
    SharedPropMap(std::initializer_list<value_type> init); // the first of equal keys counts

    // Reading never copies.
    const_iterator find(int32_t key) const;
    const_iterator begin() const;
    const_iterator end() const { return {}; }
    size_t count(int32_t key) const { return find(key) != end(); }
    size_t size() const { return layer_ ? layer_->size : 0; }
    bool empty() const { return size() == 0; }
    const Value& at(int32_t key) const;

    // Changing. Setting the value a set already holds changes nothing (it stays shared).
    void set(int32_t key, Value value);
    Ref operator[](int32_t key) { return Ref(*this, key); }
    size_t erase(int32_t key);
    void clear() { layer_.reset(); }

    // The merged views compared; sets sharing their top layer are equal without it.
    bool operator==(const SharedPropMap& other) const;
    // Whether two sets share their top layer.
    bool sharesWith(const SharedPropMap& other) const { return layer_ && layer_ == other.layer_; }
    // The bases a look-up may search (-1: empty), and the entries and erased keys the top
    // layer stores itself (tests).
    int depth() const { return layer_ ? layer_->depth : -1; }
    size_t stored() const { return layer_ ? layer_->entries.size() + layer_->erased.size() : 0; }
    // Visits the layers this set reads, top first, as (layer, its entries, its erased keys),
    // while `visit` returns true (memory estimates: a layer is the same for every set sharing it).
    template <class Visit> void eachLayer(Visit&& visit) const
    {
        for (const Layer* l = layer_.get(); l && visit(static_cast<const void*>(l), l->entries, l->erased);
             l = l->base.get())
            ;
    }

private:
    struct Layer {
        std::shared_ptr<const Layer> base; // null: the layer holds the whole set
        std::vector<value_type> entries;   // by key: set here, or differing from the base
        std::vector<int32_t> erased;       // by key: the base's keys this layer removes
        size_t size = 0;                   // of the merged view
        int depth = 0;                     // the bases below
    };

    static const value_type* entryIn(const Layer& l, int32_t key);
    static bool erasedIn(const Layer& l, int32_t key);
    static const value_type* lookUp(const Layer* l, int32_t key);
    static const_iterator iterate(const Layer* l);
    static void putEntry(Layer& l, int32_t key, Value value);
    static void dropEntry(Layer& l, int32_t key);
    static void flatten(Layer& l);
    static void rebase(Layer& next, const Layer& from);
    Layer& own();
    void tidyTop();

    std::shared_ptr<Layer> layer_;
};

// ---- the merged iteration ------------------------------------------------------------------

template <class Value> void SharedPropMap<Value>::const_iterator::placeAt(int32_t key)
{
    levelCount_ = 0;
    for (const Layer* l = top_; l; l = l->base.get()) {
        const value_type* first = l->entries.data();
        const value_type* last = first + l->entries.size();
        const value_type* pos =
            std::lower_bound(first, last, key, [](const value_type& e, int32_t k) { return e.first < k; });
        assert(levelCount_ <= kMaxDepth);
        levels_[static_cast<size_t>(levelCount_++)] = Cursor{pos, last, l};
    }
}

// Shows the smallest key any layer holds that no layer above it erased; the topmost entry wins.
template <class Value> void SharedPropMap<Value>::const_iterator::settle()
{
    for (;;) {
        int best = -1;
        for (int i = 0; i < levelCount_; ++i) {
            const Cursor& c = levels_[static_cast<size_t>(i)];
            if (c.pos != c.end && (best < 0 || c.pos->first < levels_[static_cast<size_t>(best)].pos->first))
                best = i;
        }
        if (best < 0) {
            at_ = nullptr;
            return;
        }
        const int32_t key = levels_[static_cast<size_t>(best)].pos->first;
        bool hidden = false;
        for (int j = 0; j < best && !hidden; ++j)
            hidden = erasedIn(*levels_[static_cast<size_t>(j)].layer, key);
        if (!hidden) {
            at_ = levels_[static_cast<size_t>(best)].pos;
            return;
        }
        for (int i = 0; i < levelCount_; ++i) {
            Cursor& c = levels_[static_cast<size_t>(i)];
            if (c.pos != c.end && c.pos->first == key)
                ++c.pos;
        }
    }
}

template <class Value> void SharedPropMap<Value>::const_iterator::advance()
{
    const int32_t key = at_->first;
    if (levelCount_ == 0)
        placeAt(key);
    for (int i = 0; i < levelCount_; ++i) {
        Cursor& c = levels_[static_cast<size_t>(i)];
        if (c.pos != c.end && c.pos->first == key)
            ++c.pos;
    }
    settle();
}

// ---- reading ---------------------------------------------------------------------------------

template <class Value>
SharedPropMap<Value>::SharedPropMap(std::initializer_list<value_type> init) : layer_(std::make_shared<Layer>())
{
    for (const value_type& e : init)
        if (!entryIn(*layer_, e.first))
            putEntry(*layer_, e.first, e.second);
    layer_->size = layer_->entries.size();
}

template <class Value>
const typename SharedPropMap<Value>::value_type* SharedPropMap<Value>::entryIn(const Layer& l, int32_t key)
{
    auto it = std::lower_bound(l.entries.begin(), l.entries.end(), key,
                               [](const value_type& e, int32_t k) { return e.first < k; });
    return it != l.entries.end() && it->first == key ? &*it : nullptr;
}

template <class Value> bool SharedPropMap<Value>::erasedIn(const Layer& l, int32_t key)
{
    return std::binary_search(l.erased.begin(), l.erased.end(), key);
}

template <class Value>
const typename SharedPropMap<Value>::value_type* SharedPropMap<Value>::lookUp(const Layer* l, int32_t key)
{
    for (; l; l = l->base.get()) {
        if (const value_type* e = entryIn(*l, key))
            return e;
        if (erasedIn(*l, key))
            return nullptr;
    }
    return nullptr;
}

template <class Value> typename SharedPropMap<Value>::const_iterator SharedPropMap<Value>::iterate(const Layer* l)
{
    const_iterator it;
    it.top_ = l;
    it.placeAt(std::numeric_limits<int32_t>::min());
    it.settle();
    return it;
}

template <class Value> typename SharedPropMap<Value>::const_iterator SharedPropMap<Value>::begin() const
{
    return iterate(layer_.get());
}

template <class Value> typename SharedPropMap<Value>::const_iterator SharedPropMap<Value>::find(int32_t key) const
{
    const_iterator it;
    it.top_ = layer_.get();
    it.at_ = lookUp(layer_.get(), key);
    return it;
}

template <class Value> const Value& SharedPropMap<Value>::at(int32_t key) const
{
    const value_type* e = lookUp(layer_.get(), key);
    if (!e)
        throw std::out_of_range("SharedPropMap::at: no such property");
    return e->second;
}

template <class Value> bool SharedPropMap<Value>::operator==(const SharedPropMap& other) const
{
    if (layer_ == other.layer_)
        return true;
    if (size() != other.size())
        return false;
    // A layer's entries differ from its base's values and the keys it erased are its base's;
    // after a change it stores something (tidyTop). So two layers over one base read alike when
    // they store the same, and a layer never reads as its own base.
    if (layer_ && other.layer_) {
        if (layer_->base && layer_->base == other.layer_->base)
            return layer_->entries == other.layer_->entries && layer_->erased == other.layer_->erased;
        if (layer_->base == other.layer_ || other.layer_->base == layer_)
            return false;
    }
    for (const_iterator a = begin(), b = other.begin(); a != end(); ++a, ++b)
        if (a->first != b->first || !(a->second == b->second))
            return false;
    return true;
}

// ---- changing --------------------------------------------------------------------------------

template <class Value> void SharedPropMap<Value>::putEntry(Layer& l, int32_t key, Value value)
{
    auto it = std::lower_bound(l.entries.begin(), l.entries.end(), key,
                               [](const value_type& e, int32_t k) { return e.first < k; });
    if (it != l.entries.end() && it->first == key)
        it->second = std::move(value);
    else
        l.entries.insert(it, value_type(key, std::move(value)));
}

template <class Value> void SharedPropMap<Value>::dropEntry(Layer& l, int32_t key)
{
    auto it = std::lower_bound(l.entries.begin(), l.entries.end(), key,
                               [](const value_type& e, int32_t k) { return e.first < k; });
    if (it != l.entries.end() && it->first == key)
        l.entries.erase(it);
}

// The layer becomes the whole merged view, with no base.
template <class Value> void SharedPropMap<Value>::flatten(Layer& l)
{
    std::vector<value_type> all;
    all.reserve(l.size);
    for (const_iterator it = iterate(&l); it != const_iterator(); ++it)
        all.push_back(*it);
    l.entries = std::move(all);
    l.erased.clear();
    l.erased.shrink_to_fit();
    l.base.reset();
    l.depth = 0;
}

// `next` reads as `from` with one layer over the bottom of `from`'s chain.
template <class Value> void SharedPropMap<Value>::rebase(Layer& next, const Layer& from)
{
    std::shared_ptr<const Layer> bottom = from.base;
    while (bottom->base)
        bottom = bottom->base;
    auto b = bottom->entries.begin(), bEnd = bottom->entries.end();
    for (const_iterator a = iterate(&from); a != const_iterator(); ++a) {
        for (; b != bEnd && b->first < a->first; ++b)
            next.erased.push_back(b->first);
        if (b != bEnd && b->first == a->first) {
            if (!(b->second == a->second))
                next.entries.push_back(*a);
            ++b;
        } else {
            next.entries.push_back(*a);
        }
    }
    for (; b != bEnd; ++b)
        next.erased.push_back(b->first);
    next.base = std::move(bottom);
    next.size = from.size;
    next.depth = 1;
}

// The top layer, made this set's own first when others use it.
template <class Value> typename SharedPropMap<Value>::Layer& SharedPropMap<Value>::own()
{
    if (!layer_) {
        layer_ = std::make_shared<Layer>();
        return *layer_;
    }
    if (layer_.use_count() == 1)
        return *layer_;
    auto next = std::make_shared<Layer>();
    if (layer_->depth < kMaxDepth) {
        next->base = layer_;
        next->size = layer_->size;
        next->depth = layer_->depth + 1;
    } else {
        rebase(*next, *layer_);
    }
    layer_ = std::move(next);
    return *layer_;
}

// After a change: a layer that stores nothing reads as its base and gives way to it (the
// base was made as a changeable layer, and is changed only once this set alone holds it); one
// that stores more than half of what its base holds becomes a whole set.
template <class Value> void SharedPropMap<Value>::tidyTop()
{
    Layer& l = *layer_;
    if (!l.base)
        return;
    if (l.entries.empty() && l.erased.empty())
        layer_ = std::const_pointer_cast<Layer>(l.base);
    else if ((l.entries.size() + l.erased.size()) * 2 > l.base->size)
        flatten(l);
}

template <class Value> void SharedPropMap<Value>::set(int32_t key, Value value)
{
    const value_type* now = lookUp(layer_.get(), key);
    if (now && now->second == value)
        return;
    const bool had = now != nullptr;
    Layer& l = own();
    auto erased = std::lower_bound(l.erased.begin(), l.erased.end(), key);
    if (erased != l.erased.end() && *erased == key)
        l.erased.erase(erased);
    const value_type* below = l.base ? lookUp(l.base.get(), key) : nullptr;
    if (below && below->second == value)
        dropEntry(l, key); // back to the base's value
    else
        putEntry(l, key, std::move(value));
    if (!had)
        ++l.size;
    tidyTop();
}

template <class Value> size_t SharedPropMap<Value>::erase(int32_t key)
{
    if (!lookUp(layer_.get(), key))
        return 0;
    Layer& l = own();
    dropEntry(l, key);
    if (l.base && lookUp(l.base.get(), key))
        l.erased.insert(std::lower_bound(l.erased.begin(), l.erased.end(), key), key);
    --l.size;
    tidyTop();
    return 1;
}

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
