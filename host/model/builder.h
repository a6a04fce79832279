// builder.h - making documents and books in memory for tests and benchmarks: catalogue
// formats, paragraphs in flows, overrides, tables with titles, footnotes, master and
// reference page flows, and books with nested groups and folders.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/model/model.h"

namespace tw::host {

class DocBuilder {
public:
    // A document with one body page, a master page "Right", a reference page "Reference",
    // a main flow "A" with one frame, the colours Black and White and an empty catalogue.
    explicit DocBuilder(Model& m, const std::string& path = {});

    // A catalogue format with the default properties changed by `changes`.
    DocBuilder& format(const std::string& name, const PgfProps& changes = {});
    // A paragraph at the end of the current flow (the main flow until flow() is called);
    // `changes` alter its properties and so set its override flag when a format of that tag
    // exists and they differ from it.
    DocBuilder& paragraph(const std::string& tag, const std::string& text = {}, const PgfProps& changes = {});
    DocBuilder& locked(); // marks the last paragraph 588 = 1 (left unchanged)
    // Starts a further flow on a new frame of the body page, or of the first master or
    // reference page; following paragraphs go there.
    DocBuilder& flow(const std::string& tag, PageKind on = PageKind::Body);
    DocBuilder& mainFlow(); // back to the main flow
    // A table anchored at the end of the last paragraph: rows of cell texts (each cell gets
    // one paragraph tagged cellTag, "" cells stay empty), the first `headingRows` rows being
    // heading rows, and optional title paragraphs tagged titleTag.
    DocBuilder& table(const std::vector<std::vector<std::string>>& rows, int32_t headingRows = 1,
                      const std::string& cellTag = "CellBody", const std::vector<std::string>& titles = {},
                      const std::string& titleTag = "TableTitle", const std::string& format = "Format A");
    // Paragraphs added inside the last table's cell (row, column), after its first one.
    DocBuilder& cellParagraph(size_t row, size_t column, const std::string& tag, const std::string& text,
                              const PgfProps& changes = {});
    // A footnote anchored at the end of the last paragraph holding the given paragraphs.
    DocBuilder& footnote(const std::vector<std::pair<std::string, std::string>>& tagsAndTexts);
    // A member of the chain of further text holders that owns no paragraphs and enters the
    // text at the last paragraph added, so that the paragraphs from there on can be reached
    // both through their flow and through the chain.
    DocBuilder& chainEntry();

    ObjectId lastParagraph() const { return lastParagraph_; }
    ObjectId lastTable() const { return lastTable_; }
    Document& doc() { return *doc_; }
    std::unique_ptr<Document> build(); // the builder is spent afterwards

private:
    ObjectId addParagraph(PgfHome home, ObjectId container, const std::string& tag, const std::string& text,
                          const PgfProps& changes);
    Model& m_;
    std::unique_ptr<Document> doc_;
    ObjectId frame_ = 0;
    ObjectId mainFrame_ = 0;
    ObjectId lastParagraph_ = 0;
    ObjectId lastTable_ = 0;
};

class BookBuilder {
public:
    explicit BookBuilder(Model& m, const std::string& path = {});
    BookBuilder& file(const std::string& path);
    BookBuilder& component(int32_t kind, const std::string& name);               // any kind, no children
    BookBuilder& group(const std::string& name, int32_t kind = kComponentGroup); // children follow
    BookBuilder& end();                                                          // closes the innermost group
    std::unique_ptr<Book> build();

private:
    ObjectId add(int32_t kind, const std::string& path);
    Model& m_;
    std::unique_ptr<Book> book_;
    std::vector<ObjectId> open_;
};

} // namespace tw::host
