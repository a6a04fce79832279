// tree.cpp - the lexer and parser for MIF statements, reading a statement's children and values
// from the bytes it was read from, and writing the tree back byte for byte.
#include "host/mif/tree.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "host/mif/text.h"
#include "host/mif/tree_impl.h"

namespace tw::host {

std::string MifError::text() const
{
    std::string t = file;
    if (line > 0)
        t += ":" + std::to_string(line);
    t += ": " + message;
    return t;
}

namespace mif_tree {

void AddSpace(std::vector<MifPiece>& body, std::string_view text)
{
    if (!body.empty() && body.back().kind == MifPiece::Space &&
        body.back().text.data() + body.back().text.size() == text.data()) {
        std::string_view& last = body.back().text;
        last = std::string_view(last.data(), last.size() + text.size());
    } else {
        body.push_back(MifPiece{MifPiece::Space, -1, text});
    }
}

namespace {

size_t LineEnd(std::string_view s, size_t pos)
{
    const void* nl = memchr(s.data() + pos, '\n', s.size() - pos);
    if (!nl)
        return s.size();
    size_t end = static_cast<size_t>(static_cast<const char*>(nl) - s.data());
    return end > pos && s[end - 1] == '\r' ? end - 1 : end;
}

// Facet data: from a line beginning with "=" through the line "=EndInset".
size_t FacetEnd(std::string_view s, size_t pos)
{
    for (size_t p = pos;;) {
        size_t end = LineEnd(s, p);
        if (s.substr(p, end - p) == "=EndInset")
            return end;
        const void* nl = memchr(s.data() + end, '\n', s.size() - end);
        if (!nl)
            return std::string_view::npos;
        p = static_cast<size_t>(static_cast<const char*>(nl) - s.data()) + 1;
    }
}

// What may continue a value that is not a string: anything but space, "<", ">" and "`".
struct TokenChars {
    bool ends[256] = {};
    constexpr TokenChars()
    {
        for (unsigned char c : {' ', '\t', '\r', '\n', '<', '>', '`'})
            ends[c] = true;
    }
};
constexpr TokenChars kTokenChars;

} // namespace

Lexeme LexemeAt(std::string_view s, size_t pos, size_t bomEnd, size_t& end)
{
    const char c = s[pos];
    const size_t n = s.size();
    if ((c == '=' || c == '&') && (pos == bomEnd || (pos > 0 && s[pos - 1] == '\n'))) {
        end = c == '=' ? FacetEnd(s, pos) : LineEnd(s, pos);
        return Lexeme::Facet;
    }
    switch (c) {
    case ' ':
    case '\t':
    case '\r':
    case '\n':
        end = pos + 1;
        while (end < n && IsSpace(s[end]))
            ++end;
        return Lexeme::Space;
    case '#': end = LineEnd(s, pos); return Lexeme::Comment;
    case '<':
        end = pos + 1;
        while (end < n && IsNameChar(s[end]))
            ++end;
        return Lexeme::Open;
    case '>': end = pos + 1; return Lexeme::Close;
    case '`':
        // A string runs to its closing quote, over several lines when it is long (equations
        // keep their whole expression in one value); a backslash escapes the byte after it.
        for (size_t e = pos + 1; e < n;) {
            const char* q = static_cast<const char*>(memchr(s.data() + e, '\'', n - e));
            if (!q)
                break;
            size_t at = static_cast<size_t>(q - s.data());
            const char* b = static_cast<const char*>(memchr(s.data() + e, '\\', at - e));
            if (!b) {
                end = at + 1;
                return Lexeme::String;
            }
            e = static_cast<size_t>(b - s.data()) + 2; // past the escaped byte
        }
        end = std::string_view::npos;
        return Lexeme::String;
    default:
        end = pos + 1;
        while (end < n && !kTokenChars.ends[static_cast<unsigned char>(s[end])])
            ++end;
        return Lexeme::Token;
    }
}

} // namespace mif_tree

using namespace mif_tree;

namespace {

// Recognises what a file is from its first statement, before any parsing.
bool CheckHeader(std::string_view bytes, const std::string& fileName, MifSource& out, MifError& error)
{
    size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        i = 3;
    while (i < bytes.size() && IsSpace(bytes[i]))
        ++i;
    std::string_view head = bytes.substr(i);
    auto startsWith = [&](std::string_view p) {
        return head.substr(0, p.size()) == p && (head.size() == p.size() || !IsNameChar(head[p.size()]));
    };
    error = MifError{fileName, 0, {}};
    if (startsWith("<MakerFile") || startsWith("<BookFile") || startsWith("<MakerDictionary") || startsWith("<MML")) {
        error.message = "this is a FrameMaker binary file, not MIF: save it as MIF (Maker Interchange Format) and open "
                        "the .mif file";
        return false;
    }
    std::string_view name;
    if (startsWith("<MIFFile")) {
        out.kind = MifFileKind::Document;
        name = "<MIFFile";
    } else if (startsWith("<Book")) {
        out.kind = MifFileKind::Book;
        name = "<Book";
    } else if (head.empty()) {
        error.message = bytes.empty() ? "is empty, not a MIF file" : "holds only blank space, not a MIF file";
        return false;
    } else {
        bool binary = memchr(bytes.data(), 0, bytes.size() < 4096 ? bytes.size() : 4096) != nullptr;
        error.line = 1;
        error.message = binary ? "not a MIF file (binary data); documents must be saved as MIF"
                               : "not a MIF file: it must begin with <MIFFile ...> or <Book ...>";
        return false;
    }
    size_t v = name.size();
    while (v < head.size() && (head[v] == ' ' || head[v] == '\t'))
        ++v;
    size_t e = v;
    while (e < head.size() && !IsSpace(head[e]) && head[e] != '>')
        ++e;
    out.version = std::string(head.substr(v, e - v));
    out.legacy = std::strtod(out.version.c_str(), nullptr) < 8.0;
    size_t nl = bytes.find('\n');
    out.newline = (nl != std::string_view::npos && nl > 0 && bytes[nl - 1] == '\r') ? "\r\n" : "\n";
    return true;
}

// The line of byte `at` (lines counted from 1), for messages only.
int LineAt(std::string_view s, size_t at)
{
    return 1 + static_cast<int>(
                   std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(std::min(at, s.size())), '\n'));
}

// How many times a byte occurs (memchr finds each far faster than a loop over every byte).
size_t CountOf(std::string_view s, char c)
{
    size_t n = 0;
    for (const char *p = s.data(), *end = s.data() + s.size();
         (p = static_cast<const char*>(memchr(p, c, static_cast<size_t>(end - p)))) != nullptr; ++p)
        ++n;
    return n;
}

// Finds the statements of a file: where each begins and ends, its name and its parent; values
// are checked (strings closed, escapes known, UTF-8 where the file is UTF-8) but not kept.
class Parser {
public:
    Parser(std::string_view s, uint32_t text, const std::string& file, MifSource& out, MifError& err)
        : s_(s), text_(text), file_(file), out_(out), err_(err)
    { }

    bool run()
    {
        if (s_.size() >= UINT32_MAX)
            return fail(0, "is larger than 4 GB, more than a MIF file can be read here");
        auto& nodes = out_.nodes;
        nodes.clear();
        nodes.reserve(CountOf(s_, '<') + 1);
        nodes.push_back(MifNode{0, static_cast<uint32_t>(s_.size()), -1, -1, -1, text_, 0, 0});
        // Values are checked one by one only where the file has bytes that are not UTF-8 (facet
        // data may hold them; only values and comments must not).
        checkUtf8_ = !out_.legacy && FindInvalidUtf8(s_) != std::string_view::npos;
        stack_.assign(1, 0);
        last_.assign(1, -1);
        const size_t bomEnd = s_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        const size_t n = s_.size();
        for (size_t pos = bomEnd, end = 0; pos < n; pos = end) {
            // The most common lexemes first, without the general lexer: space not followed by
            // facet data, and the ">" that closes a statement.
            if (IsSpace(s_[pos])) {
                end = pos + 1;
                while (end < n && IsSpace(s_[end]))
                    ++end;
                if (end == n || s_[end - 1] != '\n' || (s_[end] != '=' && s_[end] != '&'))
                    continue;
                pos = end;
            } else if (s_[pos] == '>' && stack_.size() > 1) {
                end = pos + 1;
                nodes[stack_.back()].end = static_cast<uint32_t>(end);
                stack_.pop_back();
                last_.pop_back();
                continue;
            }
            switch (LexemeAt(s_, pos, bomEnd, end)) {
            case Lexeme::Space: break;
            case Lexeme::Facet:
                if (end == std::string_view::npos)
                    return fail(LineAt(s_, pos), "facet data of an imported graphic has no =EndInset (truncated file)");
                break;
            case Lexeme::Open:
                if (!open(pos, end))
                    return false;
                break;
            case Lexeme::Close:
                if (stack_.size() == 1)
                    return fail(LineAt(s_, pos), "'>' closes no statement (unbalanced '>')");
                nodes[stack_.back()].end = static_cast<uint32_t>(end);
                stack_.pop_back();
                last_.pop_back();
                break;
            case Lexeme::String:
                if (end == std::string_view::npos)
                    return fail(LineAt(s_, pos), "string value is not closed with ' (the file ends inside it)");
                if (!checkUtf8(pos, end) || !checkEscapes(pos, end))
                    return false;
                break;
            case Lexeme::Comment:
            case Lexeme::Token:
                if (!checkUtf8(pos, end))
                    return false;
                break;
            }
        }
        if (stack_.size() > 1) {
            const MifNode& unclosed = nodes[stack_.back()];
            return fail(LineAt(s_, s_.size()), "the file ends inside <" + std::string(out_.name(stack_.back())) +
                                                   "> opened at line " + std::to_string(LineAt(s_, unclosed.begin)) +
                                                   " (truncated or unbalanced statements)");
        }
        return true;
    }

private:
    bool open(size_t pos, size_t end)
    {
        if (end == pos + 1)
            return fail(LineAt(s_, pos), "'<' is not followed by a statement name");
        if (static_cast<int>(stack_.size()) > kMifMaxDepth)
            return fail(LineAt(s_, pos), "statements are nested more than " + std::to_string(kMifMaxDepth) + " deep");
        if (end - pos - 1 > UINT16_MAX)
            return fail(LineAt(s_, pos), "a statement name is longer than " + std::to_string(UINT16_MAX) + " bytes");
        auto& nodes = out_.nodes;
        const int32_t index = static_cast<int32_t>(nodes.size());
        nodes.push_back(MifNode{static_cast<uint32_t>(pos), 0, stack_.back(), -1, -1, text_,
                                static_cast<uint16_t>(end - pos - 1), 0});
        if (last_.back() >= 0)
            nodes[last_.back()].next = index;
        last_.back() = index;
        stack_.push_back(index);
        last_.push_back(-1);
        return true;
    }
    bool fail(int line, std::string message)
    {
        err_ = MifError{file_, line, std::move(message)};
        return false;
    }
    bool checkUtf8(size_t begin, size_t end)
    {
        if (!checkUtf8_)
            return true;
        size_t bad = FindInvalidUtf8(s_.substr(begin, end - begin));
        if (bad == std::string_view::npos)
            return true;
        return fail(LineAt(s_, begin + bad), "invalid UTF-8 (byte " +
                                                 std::to_string(static_cast<unsigned char>(s_[begin + bad])) +
                                                 "); MIF " + out_.version + " files are UTF-8");
    }
    // Escapes a string may hold: \t \> \q \Q \\ and \x with hexadecimal digits.
    bool checkEscapes(size_t begin, size_t end)
    {
        for (size_t from = begin + 1; from + 1 < end;) {
            const char* b = static_cast<const char*>(memchr(s_.data() + from, '\\', end - 1 - from));
            if (!b)
                break;
            const size_t i = static_cast<size_t>(b - s_.data());
            char e = s_[i + 1];
            bool hex = e == 'x' && i + 2 < end && std::isxdigit(static_cast<unsigned char>(s_[i + 2]));
            if (!hex && e != 't' && e != '>' && e != 'q' && e != 'Q' && e != '\\')
                return fail(LineAt(s_, i), std::string("unknown escape \\") +
                                               (e == '\'' ? std::string("'") : std::string(1, e)) + " in a string");
            from = i + 2; // past the escaped byte
        }
        return true;
    }

    std::string_view s_;
    uint32_t text_;
    const std::string& file_;
    MifSource& out_;
    MifError& err_;
    bool checkUtf8_ = false;
    std::vector<int32_t> stack_; // open statements
    std::vector<int32_t> last_;  // the last child of each open statement so far
};

// Visits the body of a statement as read, in order: each value, space run and child. `visit`
// returns false to stop.
template <class Visit> void EachRawPiece(const MifSource& src, int32_t node, Visit&& visit)
{
    const MifNode& n = src.nodes[node];
    std::string_view s = *src.texts[n.text];
    size_t pos = node == 0 ? 0 : n.begin + 1 + n.nameLength;
    const size_t to = node == 0 ? n.end : n.end - 1;
    const size_t bomEnd = node == 0 && s.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    if (bomEnd && !visit(MifPiece::Space, s.substr(0, 3), -1))
        return;
    pos = std::max(pos, bomEnd);
    int32_t child = src.firstRawChild(node);
    for (size_t end = 0; pos < to; pos = end) {
        if (child >= 0 && pos == src.nodes[child].begin) {
            end = src.nodes[child].end;
            if (!visit(MifPiece::Child, std::string_view(), child))
                return;
            child = src.nodes[child].next;
            continue;
        }
        Lexeme kind = LexemeAt(s, pos, bomEnd, end);
        end = std::min(end, to);
        bool value = kind == Lexeme::String || kind == Lexeme::Token;
        if (!visit(value ? MifPiece::Token : MifPiece::Space, s.substr(pos, end - pos), -1))
            return;
    }
}

void Serialize(const MifSource& src, int32_t index, std::string& out)
{
    const MifNode& node = src.nodes[index];
    if (node.body < 0) {
        std::string_view s = *src.texts[node.text];
        if (!(node.flags & kMifInnerEdit)) {
            out.append(s.substr(node.begin, node.end - node.begin));
            return;
        }
        // Unchanged itself, with changed statements inside: its own bytes around theirs.
        size_t pos = node.begin;
        for (int32_t c = src.firstRawChild(index); c >= 0; c = src.nodes[c].next) {
            out.append(s.substr(pos, src.nodes[c].begin - pos));
            Serialize(src, c, out);
            pos = src.nodes[c].end;
        }
        out.append(s.substr(pos, node.end - pos));
        return;
    }
    if (index != 0) {
        out += '<';
        out += src.name(index);
    }
    for (const MifPiece& piece : src.bodies[node.body]) {
        if (piece.kind == MifPiece::Child)
            Serialize(src, piece.child, out);
        else
            out += piece.text;
    }
    if (index != 0)
        out += '>';
}

// As Serialize, with every line break in the space between values re-indented; values (which
// may run over several lines) are written as they are.
void SerializeReindented(const MifSource& src, int32_t index, std::string_view from, std::string_view to,
                         std::string& out)
{
    if (index != 0) {
        out += '<';
        out += src.name(index);
    }
    std::vector<MifPiece> scratch;
    for (const MifPiece& piece : src.pieces(index, scratch)) {
        if (piece.kind == MifPiece::Child) {
            SerializeReindented(src, piece.child, from, to, out);
        } else if (piece.kind == MifPiece::Token) {
            out += piece.text;
        } else {
            std::string_view sp = piece.text;
            for (size_t i = 0; i < sp.size(); ++i) {
                if (sp[i] == '\r')
                    continue;
                out += sp[i];
                if (sp[i] == '\n' && sp.substr(i + 1, from.size()) == from) {
                    out += to;
                    i += from.size();
                }
            }
        }
    }
    if (index != 0)
        out += '>';
}

} // namespace

namespace mif_tree {

void ReadPieces(const MifSource& src, int32_t node, std::vector<MifPiece>& out)
{
    EachRawPiece(src, node, [&](MifPiece::Kind kind, std::string_view text, int32_t child) {
        if (kind == MifPiece::Space)
            AddSpace(out, text);
        else
            out.push_back(MifPiece{kind, child, text});
        return true;
    });
}

bool ParseStatements(std::string_view bytes, uint32_t text, const std::string& fileName, MifSource& src,
                     MifError& error)
{
    return Parser(bytes, text, fileName, src, error).run();
}

} // namespace mif_tree

bool ParseMif(std::string_view bytes, const std::string& fileName, MifSource& out, MifError& error)
{
    return ParseMif(std::make_shared<const std::string>(bytes), fileName, out, error);
}

bool ParseMif(std::shared_ptr<const std::string> bytes, const std::string& fileName, MifSource& out, MifError& error)
{
    if (!CheckHeader(*bytes, fileName, out, error))
        return false;
    out.texts.clear();
    out.bodies.clear();
    out.texts.push_back(bytes);
    if (!ParseStatements(*bytes, 0, fileName, out, error))
        return false;
    out.encoding = out.legacy ? MifEncoding::FrameRoman : MifEncoding::Utf8;
    if (int32_t e = out.legacy ? out.firstChild(0, "MIFEncoding") : -1; e >= 0) {
        std::string name, ignored;
        DecodeMifString(out.firstToken(e), MifEncoding::FrameRoman, name, ignored);
        out.encoding = MifEncodingFromFont(name);
    }
    return true;
}

std::string SerializeMif(const MifSource& source)
{
    std::string out;
    if (!source.nodes.empty()) {
        out.reserve(source.texts.empty() ? 0 : source.texts[0]->size() + 4096);
        Serialize(source, 0, out);
    }
    return out;
}

std::string SerializeMifNode(const MifSource& source, int32_t node)
{
    std::string out;
    Serialize(source, node, out);
    return out;
}

std::string SerializeMifNodeReindented(const MifSource& source, int32_t node, std::string_view from,
                                       std::string_view to)
{
    std::string out;
    SerializeReindented(source, node, from, to, out);
    return out;
}

// ---- reading -------------------------------------------------------------------------------

bool MifSource::has(int32_t node) const { return node >= 0 && static_cast<size_t>(node) < nodes.size(); }

std::string_view MifSource::name(int32_t node) const
{
    if (!has(node) || node == 0)
        return {};
    const MifNode& n = nodes[node];
    return std::string_view(texts[n.text]->data() + n.begin + 1, n.nameLength);
}

int MifSource::line(int32_t node) const { return has(node) ? LineAt(*texts[nodes[node].text], nodes[node].begin) : 0; }

std::string_view MifSource::keep(std::string text)
{
    texts.push_back(std::make_shared<const std::string>(std::move(text)));
    return *texts.back();
}

const std::vector<MifPiece>& MifSource::pieces(int32_t node, std::vector<MifPiece>& scratch) const
{
    scratch.clear();
    if (!has(node))
        return scratch;
    if (nodes[node].body >= 0)
        return bodies[static_cast<size_t>(nodes[node].body)];
    ReadPieces(*this, node, scratch);
    return scratch;
}

MifChildren::MifChildren(const MifSource* src, int32_t node, std::string_view name) : src_(src), name_(name)
{
    if (!src->has(node))
        return;
    if (int32_t body = src->nodes[node].body; body >= 0) {
        const auto& pieces = src->bodies[static_cast<size_t>(body)];
        // (an empty body has no data, and reads as a statement as read without children)
        begin_ = pieces.data();
        end_ = pieces.data() + pieces.size();
        return;
    }
    first_ = src->firstRawChild(node);
}

void MifChildren::iterator::skip()
{
    if (at_) {
        while (at_ != end_ && (at_->kind != MifPiece::Child || (!name_.empty() && src_->name(at_->child) != name_)))
            ++at_;
        return;
    }
    while (raw_ >= 0 && !name_.empty() && src_->name(raw_) != name_)
        raw_ = src_->nodes[raw_].next;
}

MifChildren::iterator& MifChildren::iterator::operator++()
{
    if (at_)
        ++at_;
    else
        raw_ = src_->nodes[raw_].next;
    skip();
    return *this;
}

std::vector<int32_t> MifSource::children(int32_t node, std::string_view name) const
{
    std::vector<int32_t> result;
    for (int32_t c : each(node, name))
        result.push_back(c);
    return result;
}

int32_t MifSource::firstChild(int32_t node, std::string_view name) const
{
    for (int32_t c : each(node, name))
        return c;
    return -1;
}

std::vector<std::string_view> MifSource::tokens(int32_t node) const
{
    std::vector<std::string_view> result;
    if (!has(node))
        return result;
    if (nodes[node].body >= 0) {
        for (const MifPiece& p : bodies[static_cast<size_t>(nodes[node].body)])
            if (p.kind == MifPiece::Token)
                result.push_back(p.text);
        return result;
    }
    EachRawPiece(*this, node, [&](MifPiece::Kind kind, std::string_view text, int32_t) {
        if (kind == MifPiece::Token)
            result.push_back(text);
        return true;
    });
    return result;
}

std::string_view MifSource::firstToken(int32_t node) const
{
    std::string_view result;
    if (!has(node))
        return result;
    if (nodes[node].body >= 0) {
        for (const MifPiece& p : bodies[static_cast<size_t>(nodes[node].body)])
            if (p.kind == MifPiece::Token)
                return p.text;
        return result;
    }
    EachRawPiece(*this, node, [&](MifPiece::Kind kind, std::string_view text, int32_t) {
        if (kind != MifPiece::Token)
            return true;
        result = text;
        return false;
    });
    return result;
}

} // namespace tw::host
