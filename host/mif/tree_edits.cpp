// tree_edits.cpp - edits on the statement tree: a statement's values replaced, statements
// removed with their lines, and new statements inserted where the publishing program would write
// them. A statement is read into pieces on its first edit and written from them afterwards.
#include <algorithm>

#include "host/mif/tree.h"
#include "host/mif/tree_impl.h"

namespace tw::host {

using namespace mif_tree;

namespace {

int32_t PieceIndexOf(const std::vector<MifPiece>& body, int32_t child)
{
    for (size_t i = 0; i < body.size(); ++i)
        if (body[i].kind == MifPiece::Child && body[i].child == child)
            return static_cast<int32_t>(i);
    return -1;
}

// Copies the statements of a parsed fragment (whose text `src` keeps last) into `src` under
// `parent`, each read into pieces with its inner lines re-indented by `lineBreak`. Returns the
// new top-level nodes, and in `trailing` the comment that follows each on its line.
std::vector<int32_t> Adopt(MifSource& src, const MifSource& fragment, int32_t parent, const std::string& lineBreak,
                           std::vector<std::string>& trailing)
{
    const int32_t offset = static_cast<int32_t>(src.nodes.size()) - 1;
    const uint32_t ownText = static_cast<uint32_t>(src.texts.size() - 1);
    std::vector<std::vector<MifPiece>> read(fragment.nodes.size());
    for (size_t i = 0; i < fragment.nodes.size(); ++i)
        ReadPieces(fragment, static_cast<int32_t>(i), read[i]);
    for (size_t i = 1; i < fragment.nodes.size(); ++i) {
        MifNode node = fragment.nodes[i];
        node.parent = node.parent == 0 ? parent : node.parent + offset;
        node.next = node.next < 0 ? -1 : node.next + offset;
        node.text = ownText;
        for (MifPiece& p : read[i]) {
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
            p.text = src.keep(std::move(re));
        }
        node.body = static_cast<int32_t>(src.bodies.size());
        src.bodies.push_back(std::move(read[i]));
        src.nodes.push_back(node);
    }
    // Each statement keeps the comment that follows it on its line ("# end of ...").
    std::vector<int32_t> added;
    const auto& top = read[0];
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
    return added;
}

} // namespace

std::vector<MifPiece>& MifSource::editBody(int32_t node)
{
    MifNode& n = nodes[node];
    if (n.body < 0) {
        std::vector<MifPiece> body;
        ReadPieces(*this, node, body);
        n.body = static_cast<int32_t>(bodies.size());
        bodies.push_back(std::move(body));
        for (int32_t p = n.parent; has(p) && !(nodes[p].flags & kMifInnerEdit); p = nodes[p].parent)
            nodes[p].flags |= kMifInnerEdit;
    }
    return bodies[static_cast<size_t>(nodes[node].body)];
}

void MifSource::setValue(int32_t node, std::string token)
{
    if (!has(node))
        return;
    auto& body = editBody(node);
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
    auto& body = editBody(parentIndex);
    int32_t at = PieceIndexOf(body, node);
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
    std::vector<MifPiece> scratch;
    const auto& body = pieces(parent, scratch);
    int32_t at = PieceIndexOf(body, node);
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
    std::vector<MifPiece> scratch;
    const auto& body = pieces(node, scratch);
    for (size_t i = 1; i < body.size(); ++i) {
        if (body[i].kind != MifPiece::Child || body[i - 1].kind != MifPiece::Space)
            continue;
        std::string_view sp = body[i - 1].text;
        size_t nl = sp.rfind('\n');
        if (nl != std::string_view::npos)
            return std::string(sp.substr(nl + 1));
    }
    const int32_t up = nodes[node].parent;
    if (node == 0 || !has(up))
        return "";
    // No child on its own line yet: one more space than the statement itself.
    std::vector<MifPiece> around;
    const auto& parentBody = pieces(up, around);
    int32_t at = PieceIndexOf(parentBody, node);
    std::string indent;
    if (at > 0 && parentBody[at - 1].kind == MifPiece::Space) {
        std::string_view sp = parentBody[at - 1].text;
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
    fragment.texts.push_back(texts.back());
    std::vector<int32_t> added;
    if (!ParseStatements(own, 0, "(generated)", fragment, ignored))
        return added;

    const std::string indent = childIndent(parent);
    const std::string lineBreak = newline + indent;
    std::vector<std::string> trailing;
    added = Adopt(*this, fragment, parent, lineBreak, trailing);

    auto& body = editBody(parent);
    int32_t at = before >= 0 ? PieceIndexOf(body, before) : -1;
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
