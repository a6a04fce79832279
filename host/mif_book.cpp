// mif_book.cpp - reads MIF book components into the model and resolves component paths
// (device-independent syntax, relative to the book, ".mif" beside the book as a fallback).
#include "host/mif_book.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "host/mif_text.h"

namespace tw::host {
namespace {

std::string StringValue(const MifSource& src, int32_t node)
{
    if (node < 0)
        return {};
    std::string out, error;
    DecodeMifString(src.firstToken(node), src.encoding, out, error);
    return out;
}

// Whether a file exists and begins like a MIF file (a binary document of the same name does not).
bool LooksLikeMif(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    char head[64] = {};
    in.read(head, sizeof head - 1);
    std::string_view h(head, static_cast<size_t>(in.gcount()));
    size_t i = h.find_first_not_of(" \t\r\n");
    if (i == std::string_view::npos)
        return false;
    h.remove_prefix(i);
    return h.rfind("<MIFFile", 0) == 0 || h.rfind("<Book", 0) == 0;
}

// The file a component path stands for: the first candidate that is a MIF file; the path as
// named (made absolute beside the book) when none is, so that opening it fails by its own name.
std::string ResolveComponent(const std::string& bookPath, const std::string& named)
{
    auto candidates = ComponentCandidates(bookPath, named);
    for (const auto& c : candidates)
        if (LooksLikeMif(c))
            return c;
    return candidates.front();
}

void ReadComponents(Model& m, Book& book, const MifSource& src, int32_t node, ObjectId parent,
                    std::vector<ObjectId>& list)
{
    for (int32_t c : src.children(node)) {
        std::string_view name = src.nodes[c].name;
        BookComponent comp;
        if (name == "BookComponent") {
            comp.kind = kComponentFile;
            comp.path = ResolveComponent(book.path, StringValue(src, src.firstChild(c, "FileName")));
        } else if (name == "BookFolder") {
            comp.kind = kComponentFolder;
            comp.path = StringValue(src, src.firstChild(c, "FolderName"));
        } else if (name == "BookGroup") {
            comp.kind = kComponentGroup;
            comp.path = StringValue(src, src.firstChild(c, "GroupName"));
        } else {
            continue;
        }
        comp.id = m.newId();
        comp.parent = parent;
        comp.mifNode = c;
        ObjectId id = comp.id;
        book.components[id] = comp;
        list.push_back(id);
        if (comp.kind != kComponentFile)
            ReadComponents(m, book, src, c, id, book.components[id].children);
    }
}

} // namespace

std::unique_ptr<Book> ReadMifBook(Model& m, std::shared_ptr<MifSource> src, const std::string& path)
{
    auto book = std::make_unique<Book>();
    book->path = path;
    book->mif = src;
    book->mifNode = 0;
    ReadComponents(m, *book, *src, 0, 0, book->top);
    return book;
}

std::string MifPathToNative(const std::string& p)
{
    if (p.find('<') == std::string::npos) {
        std::string out = p;
        for (char& c : out)
            if (c == '\\')
                c = '/';
        return out;
    }
    std::string out;
    bool absolute = false;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < p.size()) {
        if (p[i] != '<' || i + 2 >= p.size() || p[i + 2] != '>') {
            ++i;
            continue;
        }
        char code = p[i + 1];
        size_t start = i + 3;
        size_t end = p.find('<', start);
        std::string arg = p.substr(start, end == std::string::npos ? std::string::npos : end - start);
        switch (code) {
        case 'r': absolute = true; break;
        case 'v':
            absolute = true;
            if (!arg.empty())
                parts.push_back(arg + ":");
            break;
        case 'h':
            absolute = true;
            parts.push_back("/" + arg);
            break;
        case 'u': parts.push_back(".."); break;
        case 'c': parts.push_back(arg); break;
        default: break;
        }
        i = end == std::string::npos ? p.size() : end;
    }
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k > 0 || absolute)
            out += '/';
        out += parts[k];
    }
    return out;
}

std::vector<std::string> ComponentCandidates(const std::string& bookPath, const std::string& componentPath)
{
    namespace fs = std::filesystem;
    std::vector<std::string> result;
    fs::path bookDir = fs::path(bookPath).parent_path();
    std::string native = MifPathToNative(componentPath);
    fs::path named(native);
    // A Windows drive path ("C:/...") or a root path is absolute wherever the host runs.
    bool absolute = named.is_absolute() || (native.size() > 2 && native[1] == ':') || native.rfind("//", 0) == 0;
    fs::path first = absolute ? named : bookDir / named;
    result.push_back(first.lexically_normal().string());
    // The same path with ".mif", then the chapter's base name with ".mif" beside the book.
    fs::path sameMif = first;
    sameMif.replace_extension(".mif");
    if (sameMif.lexically_normal().string() != result.front())
        result.push_back(sameMif.lexically_normal().string());
    std::string base = native.substr(native.find_last_of('/') + 1);
    if (size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0)
        base.erase(dot);
    std::string beside = (bookDir / (base + ".mif")).lexically_normal().string();
    if (std::find(result.begin(), result.end(), beside) == result.end())
        result.push_back(beside);
    return result;
}

} // namespace tw::host
