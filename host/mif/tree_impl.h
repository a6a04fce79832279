// tree_impl.h - the inside of the statement tree that its reading and its editing share: the
// lexer that finds the next value, space or statement in a file's bytes, and reading the body of
// a statement as pieces.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "host/mif/tree.h"

namespace tw::host::mif_tree {

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

enum class Lexeme : uint8_t {
    Space,   // whitespace
    Facet,   // facet data of an imported graphic, or a line beginning with "&"
    Comment, // "#" to the end of the line
    Open,    // "<" and the statement name
    Close,   // ">"
    String,  // `...'
    Token,   // any other value
};

// The lexeme that begins at `pos` (< s.size()), and where it ends. A string without its closing
// quote, or facet data without its end, ends at npos. `bomEnd` is where the file's text begins
// (after a byte order mark), which counts as the start of a line.
Lexeme LexemeAt(std::string_view s, size_t pos, size_t bomEnd, size_t& end);

// Appends space to a body, joined to the last piece when that is space that ends where the
// text begins, so that space runs read from a file stay whole.
void AddSpace(std::vector<MifPiece>& body, std::string_view text);

// The body of a statement as read, as pieces (appended to `out`).
void ReadPieces(const MifSource& src, int32_t node, std::vector<MifPiece>& out);

// Parses `bytes`, which `src.texts[text]` holds, into `src.nodes` (which it clears first).
bool ParseStatements(std::string_view bytes, uint32_t text, const std::string& fileName, MifSource& src,
                     MifError& error);

} // namespace tw::host::mif_tree
