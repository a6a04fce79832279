// book.cpp - reads MIF book components into the model and resolves component paths
// (device-independent syntax, relative to the book, ".mif" beside the book as a fallback).
#include "host/mif/book.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "host/mif/text.h"
#include "host/mif/values.h"

namespace tw::host {
namespace {

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

std::string AsciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Existing paths that name `path` when letter case is ignored, component by component where
// the exact name is missing (a book made on Windows names "Ch1.fm" for a file saved as
// "ch1.MIF"); the exact path alone when it exists. In name order.
std::vector<std::filesystem::path> CaseVariants(const std::filesystem::path& path, int depth = 0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec))
        return {path};
    const fs::path parent = path.parent_path();
    const fs::path name = path.filename();
    if (depth > 64 || name.empty() || parent == path)
        return {};
    std::vector<fs::path> dirs;
    if (parent.empty())
        dirs.push_back(".");
    else if (fs::is_directory(parent, ec))
        dirs.push_back(parent);
    else
        dirs = CaseVariants(parent, depth + 1);
    const std::string want = AsciiLower(name.string());
    std::vector<fs::path> found;
    for (const fs::path& dir : dirs) {
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
            if (AsciiLower(it->path().filename().string()) == want)
                found.push_back(parent.empty() ? it->path().filename() : it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The file a component path stands for: the first candidate that is a MIF file, then the first
// that is one under another letter case; the path as named (made absolute beside the book) when
// none is, so that opening it fails by its own name.
std::string ResolveComponent(const std::string& bookPath, const std::string& named)
{
    auto candidates = ComponentCandidates(bookPath, named);
    for (const auto& c : candidates)
        if (LooksLikeMif(c))
            return c;
    for (const auto& c : candidates)
        for (const auto& variant : CaseVariants(c))
            if (LooksLikeMif(variant.string()))
                return variant.string();
    return candidates.front();
}

void ReadComponents(Model& m, Book& book, const MifSource& src, int32_t node, ObjectId parent,
                    std::vector<ObjectId>& list)
{
    for (int32_t c : src.children(node)) {
        std::string_view name = src.name(c);
        BookComponent comp;
        if (name == "BookComponent") {
            comp.kind = kComponentFile;
            comp.path = ResolveComponent(book.path, MifStringValue(src, src.firstChild(c, "FileName")));
        } else if (name == "BookFolder") {
            comp.kind = kComponentFolder;
            comp.path = MifStringValue(src, src.firstChild(c, "FolderName"));
        } else if (name == "BookGroup") {
            comp.kind = kComponentGroup;
            comp.path = MifStringValue(src, src.firstChild(c, "GroupName"));
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
    // <r\> the root of the file tree, <v\> a volume or drive ("O:", written with its colon;
    // a bare letter gains one), <h\> a host, <u\> up one level, <c\> a component.
    std::string prefix;
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
        case 'r':
            prefix.assign(1, '/');
            if (!arg.empty())
                parts.push_back(arg);
            break;
        case 'v': {
            for (char& c : arg)
                if (c == '\\')
                    c = '/';
            const bool unc = arg.rfind("//", 0) == 0;
            while (arg.size() > (unc ? 2u : 0u) && arg.back() == '/')
                arg.pop_back();
            if (arg.size() == 1 && std::isalpha(static_cast<unsigned char>(arg[0])))
                arg += ':';
            prefix = arg;
            prefix.push_back('/');
            break;
        }
        case 'h':
            prefix.assign(2, '/');
            prefix += arg;
            prefix.push_back('/');
            break;
        case 'u': parts.push_back(".."); break;
        case 'c': parts.push_back(arg); break;
        default: break;
        }
        i = end == std::string::npos ? p.size() : end;
    }
    std::string out = prefix;
    for (size_t k = 0; k < parts.size(); ++k)
        out += (k ? "/" : "") + parts[k];
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
