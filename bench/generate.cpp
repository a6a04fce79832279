// generate.cpp - tw_generate: writes a synthetic MIF book (or one document) of a chosen size,
// and with --check reads every file back through the host's MIF reader and counts what it found.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "bench/synthetic_book.h"
#include "host/files/mif_store.h"

using namespace tw::bench;

namespace {

// Reads one generated file back and prints what the host made of it; false when it cannot.
bool Check(const std::string& path)
{
    tw::host::Model m;
    tw::host::LoadResult r = tw::host::LoadMifFile(m, path);
    if (!r.doc && !r.book) {
        std::cerr << "tw_generate: " << r.error << '\n';
        return false;
    }
    if (r.book) {
        std::cout << path << ": book, " << r.book->components.size() << " components\n";
        return true;
    }
    const tw::host::Document& d = *r.doc;
    size_t overridden = 0;
    for (const auto& [id, p] : d.paragraphs)
        overridden += p.overridden ? 1 : 0;
    // A document nobody changed is written back byte for byte.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const bool same = tw::host::MifDocumentBytes(d) == bytes.str();
    std::cout << path << ": " << d.paragraphs.size() << " paragraphs (" << overridden << " overridden), "
              << d.catalogue.size() << " formats, " << d.tables.size() << " tables, " << d.textHolders.size()
              << " footnotes, " << d.flows.size() << " flows; "
              << (same ? "written back unchanged" : "WRITTEN BACK DIFFERENTLY") << '\n';
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    BookShape s;
    std::string dir;
    std::string document;
    bool check = false;
    CLI::App app{"tw_generate: write a synthetic MIF book for benchmarks (same options, same bytes)."};
    app.add_option("DIR", dir, "Folder to write the chapters and Synthetic.book.mif into");
    app.add_option("--document", document, "Write only one chapter, as this document file");
    app.add_option("--chapters", s.chapters, "Chapters in the book")
        ->check(CLI::Range(1, 100000))
        ->capture_default_str();
    app.add_option("--paragraphs", s.paragraphs, "Main-flow paragraphs per chapter")
        ->check(CLI::Range(1, 10000000))
        ->capture_default_str();
    app.add_option("--tags", s.tags, "Paragraph tags the main flows use")
        ->check(CLI::Range(1, 100000))
        ->capture_default_str();
    app.add_option("--unused", s.unusedFormats, "Catalogue formats no paragraph uses")
        ->check(CLI::Range(0, 100000))
        ->capture_default_str();
    app.add_option("--tables", s.tables, "Titled tables per chapter")
        ->check(CLI::Range(0, 100000))
        ->capture_default_str();
    app.add_option("--rows", s.tableRows, "Body rows per table")->check(CLI::Range(0, 100000))->capture_default_str();
    app.add_option("--columns", s.tableColumns, "Columns per table")->check(CLI::Range(1, 1000))->capture_default_str();
    app.add_option("--footnote-every", s.footnoteEvery, "One footnote per N paragraphs (0: none)")
        ->check(CLI::Range(0, 10000000))
        ->capture_default_str();
    app.add_option("--override-every", s.overrideEvery, "One overridden paragraph per N (0: none)")
        ->check(CLI::Range(0, 10000000))
        ->capture_default_str();
    app.add_option("--paragraphs-per-page", s.paragraphsPerPage, "Paragraphs per body page (0: one text frame)")
        ->check(CLI::Range(0, 10000000))
        ->capture_default_str();
    app.add_option("--seed", s.seed, "Seed of the text and tag choices")->capture_default_str();
    app.add_flag("--check", check, "Read every written file back with the host's MIF reader");
    CLI11_PARSE(app, argc, argv);

    if (dir.empty() == document.empty()) {
        std::cerr << "tw_generate: give either DIR (a book) or --document FILE\n";
        return 1;
    }
    std::string error;
    std::vector<std::string> written;
    if (!document.empty()) {
        if (!GenerateDocument(document, s, error)) {
            std::cerr << "tw_generate: " << error << '\n';
            return 2;
        }
        written.push_back(document);
    } else {
        std::string book = GenerateBook(dir, s, error);
        if (book.empty()) {
            std::cerr << "tw_generate: " << error << '\n';
            return 2;
        }
        for (int i = 0; i < s.chapters; ++i)
            written.push_back((std::filesystem::path(dir) / ChapterFileName(i)).string());
        written.push_back(book);
    }
    std::cout << written.back() << '\n';
    std::cout << "used tags per chapter: " << UsedTagCount(s) << ", unused formats: " << s.unusedFormats << '\n';
    if (check) {
        for (const auto& path : written)
            if (!Check(path))
                return 2;
    }
    return 0;
}
