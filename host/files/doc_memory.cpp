// doc_memory.cpp - the memory estimate of a document: every allocation it owns, each costed as
// the C library's allocator hands it out. The one place here that reads the statement tree's
// layout (its texts, nodes and pieces).
#include "host/files/doc_memory.h"

#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "host/mif/tree.h"

namespace tw::host {

namespace {

// One allocation of n bytes: a header word, rounded up to 16, at least 32 (glibc on 64 bits).
size_t Block(size_t n)
{
    if (n == 0)
        return 0;
    const size_t chunk = (n + sizeof(size_t) + 15) & ~size_t{15};
    return chunk < 32 ? 32 : chunk;
}

// A string's own buffer (none while it fits in the string itself).
size_t Heap(const std::string& s) { return s.capacity() > 15 ? Block(s.capacity() + 1) : 0; }

template <class T> size_t Heap(const std::vector<T>& v) { return Block(v.capacity() * sizeof(T)); }

// A std::map node: three links and a colour before the key and value.
template <class Pair> size_t MapNode() { return Block(4 * sizeof(void*) + sizeof(Pair)); }

size_t Heap(const PropValue& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return Heap(*s);
    size_t n = 0;
    if (const auto* tabs = std::get_if<std::vector<TabStop>>(&v)) {
        n += Heap(*tabs);
        for (const TabStop& t : *tabs)
            n += Heap(t.leader);
    }
    return n;
}

// Property sets are shared between a format, its paragraphs and their copies: each map once.
class PropSets {
public:
    size_t add(const PgfProps& props)
    {
        size_t n = 0;
        props.eachLayer([&](const void* layer, const auto& entries, const auto& erased) {
            if (!seen_.insert(layer).second)
                return false; // and its bases with it
            // the layer with the shared pointer's counts: a base pointer, two lists, a size and a depth
            n += Block(2 * sizeof(void*) + sizeof(entries) + sizeof(erased) + 2 * sizeof(size_t) + 16);
            n += Heap(entries) + Heap(erased);
            for (const auto& [key, value] : entries)
                n += Heap(value);
            return true;
        });
        return n;
    }

private:
    std::set<const void*> seen_;
};

size_t TreeMemory(const MifSource& mif)
{
    size_t n = Block(sizeof(MifSource)) + Heap(mif.version) + Heap(mif.newline) + Heap(mif.texts);
    for (const auto& t : mif.texts)
        n += Block(sizeof(std::string) + 16) + Heap(*t);
    n += Heap(mif.nodes) + Heap(mif.bodies);
    for (const auto& body : mif.bodies)
        n += Heap(body);
    return n;
}

// The objects of one kind: a map node each, and whatever the object's lists and names hold.
template <class T, class Inner> size_t Objects(const std::map<ObjectId, T>& objects, Inner inner)
{
    size_t n = 0;
    for (const auto& [id, object] : objects)
        n += MapNode<typename std::map<ObjectId, T>::value_type>() + inner(object);
    return n;
}

} // namespace

size_t DocumentMemory(const Document& d)
{
    size_t n = Block(sizeof(Document)) + Heap(d.path) + Heap(d.catalogue) + Heap(d.flows) + Heap(d.tables) +
               Heap(d.textHolders) + Heap(d.bodyPages) + Heap(d.masterPages) + Heap(d.referencePages) + Heap(d.colors);
    if (d.mif)
        n += TreeMemory(*d.mif);
    PropSets sets;
    n += Objects(d.formats, [&](const PgfFormat& f) { return Heap(f.name) + sets.add(f.props); });
    n += Objects(d.paragraphs,
                 [&](const Paragraph& p) { return Heap(p.tag) + Heap(p.text) + Heap(p.items) + sets.add(p.props); });
    n += Objects(d.flowObjs, [](const Flow& f) { return Heap(f.tag) + Heap(f.frames); });
    n += Objects(d.frames, [](const TextFrame& f) { return Heap(f.paragraphs); });
    n += Objects(d.pages, [](const Page& p) { return Heap(p.name) + Heap(p.frames); });
    n += Objects(d.tableObjs,
                 [](const Table& t) { return Heap(t.format) + Heap(t.columnWidths) + Heap(t.rows) + Heap(t.title); });
    n += Objects(d.rows, [](const Row& r) { return Heap(r.cells); });
    n += Objects(d.cells, [](const Cell& c) { return Heap(c.paragraphs); });
    n += Objects(d.holders, [](const TextHolder& h) { return Heap(h.paragraphs); });
    n += Objects(d.colorObjs, [](const Color& c) { return Heap(c.name); });
    return n;
}

} // namespace tw::host
