// tree.cpp - tokenizer and parser for MIF statements, edits on the statement tree, and
// writing it back byte for byte.
#include "host/mif/tree.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "host/mif/text.h"

namespace tw::host {

std::string MifError::text() const
{
    std::string t = file;
    if (line > 0)
        t += ":" + std::to_string(line);
    t += ": " + message;
    return t;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Joins text to the last piece when it is space that ends where the text begins, so that
// space runs read from a file stay whole.
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

class Parser {
public:
    Parser(std::string_view s, const std::string& file, MifSource& out, MifError& err)
        : s_(s), file_(file), out_(out), err_(err)
    { }

    bool run()
    {
        out_.nodes.clear();
        out_.nodes.reserve(static_cast<size_t>(std::count(s_.begin(), s_.end(), '<')) + 1);
        out_.nodes.push_back(MifNode{});
        std::vector<int32_t> stack{0};
        // The body of each open statement is gathered here and moved into its node, at its
        // size, when the statement closes: one allocation per statement.
        std::vector<std::vector<MifPiece>> open(1);
        bool lineStart = true;
        size_t pos = 0;
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") {
            AddSpace(open[0], s_.substr(0, 3));
            pos = 3;
        }
        while (pos < s_.size()) {
            char c = s_[pos];
            std::vector<MifPiece>* cur = &open[stack.size() - 1];
            if (lineStart && (c == '=' || c == '&')) {
                size_t end = c == '=' ? facetEnd(pos) : lineEnd(pos);
                if (end == std::string_view::npos)
                    return false;
                addText(*cur, pos, end, false);
                pos = end;
                lineStart = false;
                continue;
            }
            if (IsSpace(c)) {
                size_t end = pos;
                while (end < s_.size() && IsSpace(s_[end])) {
                    if (s_[end] == '\n')
                        ++line_;
                    ++end;
                }
                lineStart = s_[end - 1] == '\n';
                AddSpace(*cur, s_.substr(pos, end - pos));
                pos = end;
                continue;
            }
            lineStart = false;
            if (c == '#') {
                size_t end = lineEnd(pos);
                if (!checkUtf8(pos, end))
                    return false;
                addText(*cur, pos, end, false);
                pos = end;
            } else if (c == '<') {
                size_t end = pos + 1;
                while (end < s_.size() && IsNameChar(s_[end]))
                    ++end;
                if (end == pos + 1)
                    return fail(line_, "'<' is not followed by a statement name");
                if (static_cast<int>(stack.size()) > kMifMaxDepth)
                    return fail(line_, "statements are nested more than " + std::to_string(kMifMaxDepth) + " deep");
                MifNode node;
                node.name = s_.substr(pos + 1, end - pos - 1);
                node.parent = stack.back();
                node.line = line_;
                int32_t index = static_cast<int32_t>(out_.nodes.size());
                out_.nodes.push_back(std::move(node));
                cur->push_back(MifPiece{MifPiece::Child, index, {}});
                stack.push_back(index);
                if (open.size() < stack.size())
                    open.emplace_back();
                pos = end;
            } else if (c == '>') {
                if (stack.size() == 1)
                    return fail(line_, "'>' closes no statement (unbalanced '>')");
                out_.nodes[stack.back()].body.assign(cur->begin(), cur->end());
                cur->clear();
                stack.pop_back();
                ++pos;
            } else if (c == '`') {
                // A string runs to its closing quote, over several lines when it is long
                // (equations keep their whole expression in one value); kept byte for byte.
                const int startLine = line_;
                size_t end = pos + 1;
                while (end < s_.size() && s_[end] != '\'') {
                    size_t step = s_[end] == '\\' && end + 1 < s_.size() ? 2 : 1;
                    for (size_t k = end; k < end + step; ++k)
                        line_ += s_[k] == '\n';
                    end += step;
                }
                if (end >= s_.size())
                    return fail(startLine, "string value is not closed with ' (the file ends inside it)");
                ++end;
                if (!checkUtf8(pos, end, startLine) || !checkEscapes(pos, end, startLine))
                    return false;
                addText(*cur, pos, end, true);
                pos = end;
            } else {
                size_t end = pos;
                while (end < s_.size() && !IsSpace(s_[end]) && s_[end] != '<' && s_[end] != '>' && s_[end] != '`')
                    ++end;
                if (!checkUtf8(pos, end))
                    return false;
                addText(*cur, pos, end, true);
                pos = end;
            }
        }
        if (stack.size() > 1) {
            const MifNode& unclosed = out_.nodes[stack.back()];
            return fail(line_, "the file ends inside <" + std::string(unclosed.name) + "> opened at line " +
                                   std::to_string(unclosed.line) + " (truncated or unbalanced statements)");
        }
        out_.nodes[0].body.assign(open[0].begin(), open[0].end());
        return true;
    }

private:
    bool fail(int line, std::string message)
    {
        err_ = MifError{file_, line, std::move(message)};
        return false;
    }
    size_t lineEnd(size_t pos) const
    {
        size_t end = s_.find('\n', pos);
        if (end == std::string_view::npos)
            return s_.size();
        return end > pos && s_[end - 1] == '\r' ? end - 1 : end;
    }
    // Facet data: from a line beginning with "=" through the line "=EndInset".
    size_t facetEnd(size_t pos)
    {
        int startLine = line_;
        for (size_t p = pos;;) {
            size_t end = lineEnd(p);
            if (s_.substr(p, end - p) == "=EndInset")
                return end;
            size_t next = s_.find('\n', end);
            if (next == std::string_view::npos) {
                fail(startLine, "facet data of an imported graphic has no =EndInset (truncated file)");
                return std::string_view::npos;
            }
            ++line_;
            p = next + 1;
        }
    }
    // The line of byte `at` of a value that starts at `begin` on line `beginLine`.
    int lineOf(size_t begin, size_t at, int beginLine) const
    {
        return beginLine + static_cast<int>(std::count(s_.begin() + static_cast<std::ptrdiff_t>(begin),
                                                       s_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    }
    bool checkUtf8(size_t begin, size_t end, int beginLine = -1)
    {
        if (out_.legacy)
            return true;
        size_t bad = FindInvalidUtf8(s_.substr(begin, end - begin));
        if (bad == std::string_view::npos)
            return true;
        return fail(beginLine < 0 ? line_ : lineOf(begin, begin + bad, beginLine),
                    "invalid UTF-8 (byte " + std::to_string(static_cast<unsigned char>(s_[begin + bad])) + "); MIF " +
                        out_.version + " files are UTF-8");
    }
    // Escapes a string may hold: \t \> \q \Q \\ and \x with hexadecimal digits.
    bool checkEscapes(size_t begin, size_t end, int beginLine)
    {
        for (size_t i = begin + 1; i + 1 < end; ++i) {
            if (s_[i] != '\\')
                continue;
            char e = s_[i + 1];
            bool hex = e == 'x' && i + 2 < end && std::isxdigit(static_cast<unsigned char>(s_[i + 2]));
            if (!hex && e != 't' && e != '>' && e != 'q' && e != 'Q' && e != '\\')
                return fail(lineOf(begin, i, beginLine), std::string("unknown escape \\") +
                                                             (e == '\'' ? std::string("'") : std::string(1, e)) +
                                                             " in a string");
            ++i;
        }
        return true;
    }
    void addText(std::vector<MifPiece>& body, size_t begin, size_t end, bool token)
    {
        if (token)
            body.push_back(MifPiece{MifPiece::Token, -1, s_.substr(begin, end - begin)});
        else
            AddSpace(body, s_.substr(begin, end - begin));
    }

    std::string_view s_;
    const std::string& file_;
    MifSource& out_;
    MifError& err_;
    int line_ = 1;
};

void Serialize(const MifSource& src, int32_t index, std::string& out)
{
    const MifNode& node = src.nodes[index];
    if (index != 0) {
        out += '<';
        out += node.name;
    }
    for (const MifPiece& piece : node.body) {
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
    const MifNode& node = src.nodes[index];
    if (index != 0) {
        out += '<';
        out += node.name;
    }
    for (const MifPiece& piece : node.body) {
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

int32_t PieceIndexOf(const MifNode& parent, int32_t child)
{
    for (size_t i = 0; i < parent.body.size(); ++i)
        if (parent.body[i].kind == MifPiece::Child && parent.body[i].child == child)
            return static_cast<int32_t>(i);
    return -1;
}

} // namespace

bool ParseMif(std::string_view bytes, const std::string& fileName, MifSource& out, MifError& error)
{
    return ParseMif(std::make_shared<const std::string>(bytes), fileName, out, error);
}

bool ParseMif(std::shared_ptr<const std::string> bytes, const std::string& fileName, MifSource& out, MifError& error)
{
    if (!CheckHeader(*bytes, fileName, out, error))
        return false;
    out.texts.clear();
    out.texts.push_back(bytes);
    Parser parser(*bytes, fileName, out, error);
    if (!parser.run())
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
    if (!source.nodes.empty())
        Serialize(source, 0, out);
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

bool MifSource::has(int32_t node) const { return node >= 0 && static_cast<size_t>(node) < nodes.size(); }

std::string_view MifSource::keep(std::string text)
{
    texts.push_back(std::make_shared<const std::string>(std::move(text)));
    return *texts.back();
}

std::vector<int32_t> MifSource::children(int32_t node, std::string_view name) const
{
    std::vector<int32_t> result;
    if (!has(node))
        return result;
    for (const MifPiece& p : nodes[node].body)
        if (p.kind == MifPiece::Child && (name.empty() || nodes[p.child].name == name))
            result.push_back(p.child);
    return result;
}

int32_t MifSource::firstChild(int32_t node, std::string_view name) const
{
    if (!has(node))
        return -1;
    for (const MifPiece& p : nodes[node].body)
        if (p.kind == MifPiece::Child && nodes[p.child].name == name)
            return p.child;
    return -1;
}

std::vector<std::string_view> MifSource::tokens(int32_t node) const
{
    std::vector<std::string_view> result;
    if (!has(node))
        return result;
    for (const MifPiece& p : nodes[node].body)
        if (p.kind == MifPiece::Token)
            result.push_back(p.text);
    return result;
}

std::string_view MifSource::firstToken(int32_t node) const
{
    if (!has(node))
        return {};
    for (const MifPiece& p : nodes[node].body)
        if (p.kind == MifPiece::Token)
            return p.text;
    return {};
}

void MifSource::setValue(int32_t node, std::string token)
{
    if (!has(node))
        return;
    auto& body = nodes[node].body;
    size_t first = body.size();
    for (size_t i = 0; i < body.size(); ++i)
        if (body[i].kind == MifPiece::Token) {
            first = i;
            break;
        }
    std::string_view kept = keep(std::move(token));
    if (first == body.size()) { // no value yet: "<Name value>"
        body.insert(body.begin(), MifPiece{MifPiece::Token, -1, kept});
        body.insert(body.begin(), MifPiece{MifPiece::Space, -1, " "});
        return;
    }
    body[first].text = kept;
    for (size_t i = body.size(); i-- > first + 1;) {
        if (body[i].kind != MifPiece::Token)
            continue;
        body.erase(body.begin() + static_cast<std::ptrdiff_t>(i));
        // drop the space that separated the removed token from the one before it
        if (i - 1 > first && body[i - 1].kind == MifPiece::Space && body[i - 1].text.find('\n') == std::string::npos)
            body.erase(body.begin() + static_cast<std::ptrdiff_t>(i - 1));
    }
}

void MifSource::remove(int32_t node)
{
    if (!has(node))
        return;
    int32_t parentIndex = nodes[node].parent;
    if (parentIndex < 0)
        return;
    auto& body = nodes[parentIndex].body;
    int32_t at = PieceIndexOf(nodes[parentIndex], node);
    if (at < 0)
        return;
    nodes[node].parent = -1;
    bool prevHasLine =
        at > 0 && body[at - 1].kind == MifPiece::Space && body[at - 1].text.find('\n') != std::string::npos;
    bool nextIsSpace = at + 1 < static_cast<int32_t>(body.size()) && body[at + 1].kind == MifPiece::Space;
    // Something else after it on its line (a stray value): the line stays, indentation and all,
    // so that what follows does not move to the start of a line, where "=" begins facet data.
    bool restOfLineFollows = nextIsSpace && at + 2 < static_cast<int32_t>(body.size()) &&
                             body[at + 1].text.find('\n') == std::string_view::npos;
    if (prevHasLine && restOfLineFollows) {
        body.erase(body.begin() + at, body.begin() + at + 2);
        return;
    }
    if (prevHasLine && nextIsSpace) {
        // The statement has its own line: cut its indentation, and its trailing space and
        // comment through the end of the line.
        std::string_view prev = body[at - 1].text;
        prev = prev.substr(0, prev.rfind('\n') + 1);
        std::string_view next = body[at + 1].text;
        size_t nl = next.find('\n');
        next = nl != std::string_view::npos ? next.substr(nl + 1) : std::string_view();
        // "\r\n" line ends: the '\r' before the cut newline belongs to the removed line
        if (!prev.empty() && prev.back() == '\n' && !next.empty() && next[0] == '\r')
            next.remove_prefix(1);
        body[at - 1].text = next.empty() ? prev : keep(std::string(prev) + std::string(next));
        body.erase(body.begin() + at, body.begin() + at + 2);
        return;
    }
    if (at > 0 && body[at - 1].kind == MifPiece::Space && !prevHasLine) {
        body.erase(body.begin() + at - 1, body.begin() + at + 1);
        return;
    }
    body.erase(body.begin() + at);
}

std::string MifSource::trailingComment(int32_t node) const
{
    if (!has(node))
        return {};
    int32_t parent = nodes[node].parent;
    if (parent < 0)
        return {};
    const auto& body = nodes[parent].body;
    int32_t at = PieceIndexOf(nodes[parent], node);
    if (at < 0 || at + 1 >= static_cast<int32_t>(body.size()) || body[at + 1].kind != MifPiece::Space)
        return {};
    std::string tail(body[at + 1].text.substr(0, body[at + 1].text.find('\n')));
    while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\r'))
        tail.pop_back();
    return tail.find('#') == std::string::npos ? std::string() : tail;
}

std::string MifSource::childIndent(int32_t node) const
{
    if (!has(node))
        return {};
    const MifNode& n = nodes[node];
    for (size_t i = 1; i < n.body.size(); ++i) {
        if (n.body[i].kind != MifPiece::Child || n.body[i - 1].kind != MifPiece::Space)
            continue;
        std::string_view sp = n.body[i - 1].text;
        size_t nl = sp.rfind('\n');
        if (nl != std::string_view::npos)
            return std::string(sp.substr(nl + 1));
    }
    if (node == 0 || !has(n.parent))
        return "";
    // No child on its own line yet: one more space than the statement itself.
    const MifNode& parent = nodes[n.parent];
    int32_t at = PieceIndexOf(parent, node);
    std::string indent;
    if (at > 0 && parent.body[at - 1].kind == MifPiece::Space) {
        std::string_view sp = parent.body[at - 1].text;
        size_t nl = sp.rfind('\n');
        if (nl != std::string_view::npos)
            indent = std::string(sp.substr(nl + 1));
    }
    return indent + " ";
}

std::vector<int32_t> MifSource::insert(int32_t parent, int32_t before, std::string_view text)
{
    if (!has(parent))
        return {};
    MifSource fragment;
    fragment.legacy = true; // the text was produced here; its encoding is already right
    fragment.newline = newline;
    MifError ignored;
    std::string_view own = keep(std::string(text));
    Parser parser(own, "(generated)", fragment, ignored);
    std::vector<int32_t> added;
    if (!parser.run())
        return added;

    const std::string indent = childIndent(parent);
    const std::string lineBreak = newline + indent;
    // Copy the fragment's statements in, re-indenting their inner lines.
    const int32_t offset = static_cast<int32_t>(nodes.size()) - 1;
    for (size_t i = 1; i < fragment.nodes.size(); ++i) {
        MifNode node = std::move(fragment.nodes[i]);
        node.parent = node.parent == 0 ? parent : node.parent + offset;
        for (MifPiece& p : node.body) {
            if (p.kind == MifPiece::Child)
                p.child += offset;
            if (p.kind != MifPiece::Space || p.text.find('\n') == std::string_view::npos)
                continue;
            std::string re;
            for (char c : p.text) {
                if (c == '\n')
                    re += lineBreak;
                else
                    re += c;
            }
            p.text = keep(std::move(re));
        }
        nodes.push_back(std::move(node));
    }
    // Each statement keeps the comment that follows it on its line ("# end of ...").
    std::vector<std::string> trailing;
    const auto& top = fragment.nodes[0].body;
    for (size_t i = 0; i < top.size(); ++i) {
        if (top[i].kind != MifPiece::Child)
            continue;
        added.push_back(top[i].child + offset);
        std::string tail;
        if (i + 1 < top.size() && top[i + 1].kind == MifPiece::Space) {
            std::string_view sp = top[i + 1].text;
            tail = std::string(sp.substr(0, sp.find('\n')));
            while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\r'))
                tail.pop_back();
        }
        trailing.push_back(tail);
    }

    auto& body = nodes[parent].body;
    int32_t at = before >= 0 ? PieceIndexOf(nodes[parent], before) : -1;
    std::vector<MifPiece> pieces;
    if (at >= 0) {
        // Before a sibling: the new statements take the sibling's line start.
        bool ownLine =
            at > 0 && body[at - 1].kind == MifPiece::Space && body[at - 1].text.find('\n') != std::string::npos;
        for (size_t k = 0; k < added.size(); ++k) {
            pieces.push_back(MifPiece{MifPiece::Child, added[k], {}});
            // A trailing comment runs to the end of its line: what follows goes on the next one.
            bool breakLine = ownLine || !trailing[k].empty();
            pieces.push_back(
                MifPiece{MifPiece::Space, -1, keep(trailing[k] + (breakLine ? lineBreak : std::string(" ")))});
        }
        body.insert(body.begin() + at, pieces.begin(), pieces.end());
        return added;
    }
    // At the end: after the last line break, before the closing indentation.
    if (!body.empty() && body.back().kind == MifPiece::Space && body.back().text.find('\n') != std::string::npos) {
        std::string_view last = body.back().text;
        size_t nl = last.rfind('\n');
        std::string closing(last.substr(nl + 1));
        body.back().text = keep(std::string(last.substr(0, nl + 1)) + indent);
        for (size_t k = 0; k < added.size(); ++k) {
            pieces.push_back(MifPiece{MifPiece::Child, added[k], {}});
            pieces.push_back(MifPiece{MifPiece::Space, -1,
                                      keep(trailing[k] + (k + 1 < added.size() ? lineBreak : newline + closing))});
        }
    } else {
        for (size_t k = 0; k < added.size(); ++k) {
            pieces.push_back(MifPiece{MifPiece::Space, -1, parent == 0 ? keep(newline) : std::string_view(" ")});
            pieces.push_back(MifPiece{MifPiece::Child, added[k], {}});
            // the comment ends its line, so the closing '>' that follows is not commented out
            if (!trailing[k].empty() && parent != 0)
                pieces.push_back(MifPiece{MifPiece::Space, -1, keep(trailing[k] + newline)});
            else if (!trailing[k].empty())
                pieces.push_back(MifPiece{MifPiece::Space, -1, keep(trailing[k])});
        }
        if (parent == 0)
            pieces.push_back(MifPiece{MifPiece::Space, -1, keep(newline)});
    }
    body.insert(body.end(), pieces.begin(), pieces.end());
    return added;
}

} // namespace tw::host
