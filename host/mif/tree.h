// tree.h - the MIF statement tree: a MIF file parsed into statements that keep every byte
// they were read from (values, whitespace, comments, facet data of imported graphics), so that
// statements nobody changed are written back exactly as read, and changed ones as the
// publishing program writes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/mif/text.h"

namespace tw::host {

// A failure to read or write a MIF file: which file, which line (0 when none applies), what.
struct MifError {
    std::string file;
    int line = 0;
    std::string message;
    // "file:line: message" (or "file: message" without a line).
    std::string text() const;
};

// One piece of a statement's body, in file order, as an edited statement holds it. Texts are
// views into the file's bytes or into texts an edit made, both kept alive by the MifSource (and
// shared by its copies).
struct MifPiece {
    enum Kind : uint8_t {
        Space, // whitespace, comments and facet data: kept, never interpreted
        Token, // a value: `string', number, keyword, unit
        Child, // a nested statement
    };
    Kind kind = Space;
    int32_t child = -1;    // Child: node index
    std::string_view text; // Space and Token: the bytes as read
};

// One statement: "<" name, its body, ">". Node 0 is the file itself (no brackets). A statement
// as read is only the range of bytes it was read from; its values are found in those bytes when
// asked for. Its children follow it in `nodes`, the first one right after it. A statement an
// edit changed holds its body as pieces (`body`), and is written from them.
struct MifNode {
    uint32_t begin = 0; // offset of the "<" in texts[text] (node 0: 0)
    uint32_t end = 0;   // offset after the ">" (node 0: the end of the file)
    int32_t parent = -1;
    int32_t next = -1; // the next child of the same statement as read; -1 for the last
    int32_t body = -1; // index into MifSource::bodies once edited
    uint32_t text = 0; // which of MifSource::texts holds the bytes
    uint16_t nameLength = 0;
    uint8_t flags = 0; // kMifInnerEdit: a statement inside it was edited
};
inline constexpr uint8_t kMifInnerEdit = 1;

enum class MifFileKind : uint8_t { Document, Book };

struct MifSource;

// The children of a node (those of one name, or all), visited in order without making a list.
// Valid while the tree is not edited.
class MifChildren {
public:
    class iterator {
    public:
        iterator(const MifSource* src, const MifPiece* at, const MifPiece* end, int32_t raw, std::string_view name)
            : src_(src), at_(at), end_(end), raw_(raw), name_(name)
        {
            skip();
        }
        int32_t operator*() const { return at_ ? at_->child : raw_; }
        iterator& operator++();
        bool operator!=(const iterator& other) const { return at_ != other.at_ || raw_ != other.raw_; }

    private:
        void skip();
        const MifSource* src_;
        const MifPiece* at_; // an edited statement's pieces, else null
        const MifPiece* end_;
        int32_t raw_; // a statement as read: the child, -1 at the end
        std::string_view name_;
    };
    MifChildren(const MifSource* src, int32_t node, std::string_view name);
    iterator begin() const { return iterator(src_, begin_, end_, first_, name_); }
    iterator end() const { return iterator(src_, end_, end_, -1, name_); }

private:
    const MifSource* src_;
    const MifPiece* begin_ = nullptr;
    const MifPiece* end_ = nullptr;
    int32_t first_ = -1;
    std::string_view name_;
};

// A parsed MIF file (documents and books carry it as their MifSource).
struct MifSource {
    std::vector<MifNode> nodes;                // nodes[0]: the file
    std::vector<std::vector<MifPiece>> bodies; // bodies of edited statements
    MifFileKind kind = MifFileKind::Document;
    std::string version; // the value of <MIFFile ...> or <Book ...>, e.g. "9.00", "2019"
    bool legacy = false; // MIF 7.00 and older: FrameRoman with \x escapes, not UTF-8
    // How its strings are read: UTF-8; for legacy files FrameRoman, or the Asian encoding a
    // top-level <MIFEncoding> names (text in paragraphs follows the fonts' encodings).
    MifEncoding encoding = MifEncoding::Utf8;
    std::string newline = "\n"; // the file's line end, used for new statements
    // What the statements and pieces point into: the file's bytes and the texts edits made.
    // Shared with copies of the tree; never changed once added.
    std::vector<std::shared_ptr<const std::string>> texts;
    std::string_view keep(std::string text);

    // Every accessor and edit below takes a node that may be absent (-1, as firstChild gives
    // for a missing statement): it then reads as a statement without children or values, and
    // edits of it do nothing.
    bool has(int32_t node) const; // a node of this tree
    std::string_view name(int32_t node) const;
    int32_t parent(int32_t node) const { return has(node) ? nodes[node].parent : -1; }
    int line(int32_t node) const; // the line of its "<" in the text it was read from (messages)
    // Children of a node named `name` (all when name is empty), in order.
    std::vector<int32_t> children(int32_t node, std::string_view name = {}) const;
    // The same without a list, for reading (not while editing the tree).
    MifChildren each(int32_t node, std::string_view name = {}) const { return MifChildren(this, node, name); }
    int32_t firstChild(int32_t node, std::string_view name) const; // -1 when none
    // Value tokens of a node, in order.
    std::vector<std::string_view> tokens(int32_t node) const;
    std::string_view firstToken(int32_t node) const; // empty when none
    // The body of a node as pieces: its own when edited, else read from its bytes into `scratch`.
    const std::vector<MifPiece>& pieces(int32_t node, std::vector<MifPiece>& scratch) const;

    // Edits. Replaces all value tokens of a node with one token.
    void setValue(int32_t node, std::string token);
    // Detaches a node from its parent together with its line (indentation and the
    // "# end of" comment); the node stays in `nodes` but is no longer written.
    void remove(int32_t node);
    // Parses `text` (one or more statements) and inserts them into `parent` before the
    // child `before` (-1: at the end), each on its own line, indented like its siblings.
    // Returns the new top-level node indices.
    std::vector<int32_t> insert(int32_t parent, int32_t before, std::string_view text);
    // The comment that follows a statement on its line (" # end of Pgf"), or "".
    std::string trailingComment(int32_t node) const;
    // Indentation used for children of `node` (one space per level, as the publishing program writes).
    std::string childIndent(int32_t node) const;
    // The body of a node for editing: its pieces, read from its bytes on the first edit.
    std::vector<MifPiece>& editBody(int32_t node);
    // The first child of a node as read (-1 when none); edited nodes answer from their pieces.
    int32_t firstRawChild(int32_t node) const
    {
        size_t c = static_cast<size_t>(node) + 1;
        return c < nodes.size() && nodes[c].parent == node && nodes[c].text == nodes[node].text
                   ? static_cast<int32_t>(c)
                   : -1;
    }
};

// Parses a whole MIF file. `fileName` is used in errors only. Returns false and fills `error`
// for input that is not MIF, truncated or unbalanced statements, an unterminated string,
// facet data without its end, invalid UTF-8 (MIF 8 and later) or nesting deeper than
// kMifMaxDepth.
constexpr int kMifMaxDepth = 256;
bool ParseMif(std::string_view bytes, const std::string& fileName, MifSource& out, MifError& error);
// The same without copying the bytes: the tree keeps `bytes` and points into it.
bool ParseMif(std::shared_ptr<const std::string> bytes, const std::string& fileName, MifSource& out, MifError& error);

// Writes the tree back to bytes.
std::string SerializeMif(const MifSource& source);
std::string SerializeMifNode(const MifSource& source, int32_t node);
// One statement with the indentation `from` after each line break between its values replaced
// by `to`, and no carriage returns there; the values themselves are written as read.
std::string SerializeMifNodeReindented(const MifSource& source, int32_t node, std::string_view from,
                                       std::string_view to);

} // namespace tw::host
