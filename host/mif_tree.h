// mif_tree.h - the MIF statement tree: a MIF file parsed into statements that keep every byte
// they were read from (values, whitespace, comments, facet data of imported graphics), so that
// statements nobody changed are written back exactly as read, and changed ones as the
// publishing program writes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/mif_text.h"

namespace tw::host {

// A failure to read or write a MIF file: which file, which line (0 when none applies), what.
struct MifError {
    std::string file;
    int line = 0;
    std::string message;
    // "file:line: message" (or "file: message" without a line).
    std::string text() const;
};

// One piece of a statement's body, in file order.
struct MifPiece {
    enum Kind : uint8_t {
        Space, // whitespace, comments and facet data: kept, never interpreted
        Token, // a value: `string', number, keyword, unit
        Child, // a nested statement
    };
    Kind kind = Space;
    int32_t child = -1; // Child: node index
    std::string text;   // Space and Token: the bytes as read
};

// One statement: "<" name, its body pieces, ">". Node 0 is the file itself (no brackets).
struct MifNode {
    std::string name;
    std::string open; // "<Name" exactly as read
    std::vector<MifPiece> body;
    int32_t parent = -1;
    int32_t line = 0; // line of the "<"
};

enum class MifFileKind : uint8_t { Document, Book };

// A parsed MIF file (documents and books carry it as their MifSource).
struct MifSource {
    std::vector<MifNode> nodes; // nodes[0]: the file
    MifFileKind kind = MifFileKind::Document;
    std::string version;  // the value of <MIFFile ...> or <Book ...>, e.g. "9.00", "2019"
    bool legacy = false;  // MIF 7.00 and older: FrameRoman with \x escapes, not UTF-8
    // How its strings are read: UTF-8; for legacy files FrameRoman, or the Asian encoding a
    // top-level <MIFEncoding> names (text in paragraphs follows the fonts' encodings).
    MifEncoding encoding = MifEncoding::Utf8;
    std::string newline = "\n"; // the file's line end, used for new statements

    // Children of a node named `name` (all when name is empty), in order.
    std::vector<int32_t> children(int32_t node, std::string_view name = {}) const;
    int32_t firstChild(int32_t node, std::string_view name) const; // -1 when none
    // Value tokens of a node, in order.
    std::vector<std::string_view> tokens(int32_t node) const;
    std::string_view firstToken(int32_t node) const; // empty when none

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
};

// Parses a whole MIF file. `fileName` is used in errors only. Returns false and fills `error`
// for input that is not MIF, truncated or unbalanced statements, an unterminated string,
// facet data without its end, invalid UTF-8 (MIF 8 and later) or nesting deeper than
// kMifMaxDepth.
constexpr int kMifMaxDepth = 256;
bool ParseMif(std::string_view bytes, const std::string& fileName, MifSource& out, MifError& error);

// Writes the tree back to bytes.
std::string SerializeMif(const MifSource& source);
std::string SerializeMifNode(const MifSource& source, int32_t node);
// One statement with the indentation `from` after each line break between its values replaced
// by `to`, and no carriage returns there; the values themselves are written as read.
std::string SerializeMifNodeReindented(const MifSource& source, int32_t node, std::string_view from, std::string_view to);

}  // namespace tw::host
