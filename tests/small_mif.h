// small_mif.h - small MIF documents and books written as text for tests: a colour, a
// catalogue of formats, one flow of paragraphs and at most one footnote, each paragraph with
// its tag alone or with property statements of its own.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace tw::small_mif {

struct Para {
    std::string tag;
    std::string text;
    std::string props; // statements inside the paragraph's own <Pgf> (e.g. kCentred); empty: tag only
};

inline const char kCentred[] = "   <PgfAlignment Center>\n";

// A document whose catalogue holds the formats (with no properties of their own), whose flow
// holds the paragraphs, and, when footnote is given, a footnote anchored in the first one.
inline std::string Document(const std::vector<std::string>& formats, const std::vector<Para>& paragraphs,
                            const Para* footnote = nullptr)
{
    std::ostringstream m;
    m << "<MIFFile 2019>\n<ColorCatalog\n <Color\n  <ColorTag `Black'>\n  <ColorBlack  100.0>\n >\n>\n";
    m << "<PgfCatalog\n";
    for (const auto& f : formats)
        m << " <Pgf\n  <PgfTag `" << f << "'>\n >\n";
    m << ">\n<TextFlow\n <TFTag `A'>\n <TFAutoConnect Yes>\n <Notes\n";
    auto para = [&](const Para& p, const std::string& anchor) {
        m << " <Para\n";
        if (p.props.empty())
            m << "  <PgfTag `" << p.tag << "'>\n";
        else
            m << "  <Pgf\n   <PgfTag `" << p.tag << "'>\n" << p.props << "  >\n";
        m << "  <ParaLine\n   <String `" << p.text << "'>\n" << anchor << "  >\n >\n";
    };
    if (footnote) {
        m << "  <FNote\n   <ID 1>\n";
        para(*footnote, "");
        m << "  >\n";
    }
    m << " >\n";
    for (size_t i = 0; i < paragraphs.size(); i++)
        para(paragraphs[i], i == 0 && footnote ? "   <FNote 1>\n" : "");
    m << ">\n# End of MIFFile\n";
    return m.str();
}

// A book of the given component file names (relative to the book's folder).
inline std::string Book(const std::vector<std::string>& files)
{
    std::ostringstream b;
    b << "<Book 2019>\n";
    for (const auto& f : files)
        b << "<BookComponent\n <FileName `" << f << "'>\n>\n";
    b << "# End of Book\n";
    return b.str();
}

} // namespace tw::small_mif
