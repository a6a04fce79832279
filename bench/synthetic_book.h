// synthetic_book.h - large synthetic MIF documents and books for benchmarks: chapters with
// many paragraphs over a chosen number of tags, titled tables, footnotes, local overrides and
// catalogue formats nobody uses. The same shape and seed always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw::bench {

// What a generated book looks like. Every chapter has the same shape; the text, the order of
// the tags and which paragraphs carry overrides come from the seed and the chapter number.
struct BookShape {
    int chapters = 10;
    int paragraphs = 200;  // main-flow paragraphs per chapter
    int tags = 12;         // paragraph tags the main flows use (each chapter uses all of them)
    int unusedFormats = 8; // catalogue formats no paragraph carries
    int tables = 2;        // titled tables per chapter
    int tableRows = 4;     // body rows per table (plus one heading row)
    int tableColumns = 3;
    int footnoteEvery = 25;     // one footnote per this many paragraphs; 0: none
    int overrideEvery = 10;     // one paragraph in this many has a local override; 0: none
    int paragraphsPerPage = 40; // body page size; 0: the whole main flow in one text frame
    uint64_t seed = 1;
};

// The tags the main flows use, in the order they are named (Body first).
std::vector<std::string> MainFlowTags(const BookShape& shape);
// The names of the catalogue formats no paragraph uses.
std::vector<std::string> UnusedFormatNames(const BookShape& shape);
// Number of distinct tags a usage listing of one chapter (or the whole book) shows as used:
// the main-flow tags plus those of table cells, titles, footnotes and the master page. Exact
// when there are at least as many paragraphs as tags (fewer paragraphs use only some tags).
int UsedTagCount(const BookShape& shape);

// The MIF text of chapter `index` (from 0).
std::string ChapterMif(const BookShape& shape, int index);
// The MIF text of a book whose components are the given chapter file names (beside the book).
std::string BookMif(const std::vector<std::string>& chapterFiles);

// Names of the files GenerateBook writes.
std::string ChapterFileName(int index); // "ch001.mif"
constexpr const char* kBookFileName = "Synthetic.book.mif";

// Writes the chapters and the book into `dir` (created when missing). Returns the book's
// path; on failure an empty string with `error` naming the file.
std::string GenerateBook(const std::string& dir, const BookShape& shape, std::string& error);
// Writes one chapter (index 0) as a standalone document at `path`.
bool GenerateDocument(const std::string& path, const BookShape& shape, std::string& error);

} // namespace tw::bench
