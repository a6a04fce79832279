// unmodelled.cpp - following the paragraph statements the host does not model through MIF's
// inheritance, and giving a paragraph back those it would lose.
#include "host/mif/unmodelled.h"

#include <vector>

#include "host/mif/pgf.h"

namespace tw::host {
namespace {

constexpr std::string_view kFontPrefix = "PgfFont/";

// The last child of `node` named `name`, or -1.
int32_t LastChildNamed(const MifSource& src, int32_t node, std::string_view name)
{
    int32_t last = -1;
    for (int32_t c : src.each(node, name))
        last = c;
    return last;
}

} // namespace

void ApplyUnmodelled(const MifSource& src, int32_t pgfNode, UnmodelledState& state)
{
    if (int32_t inner = src.firstChild(pgfNode, "Pgf"); inner >= 0)
        pgfNode = inner; // a table format's defaults may wrap their statements in a <Pgf>
    for (int32_t c : src.each(pgfNode)) {
        std::string_view name = src.name(c);
        if (name == "PgfFont") {
            for (int32_t f : src.each(c))
                if (!IsModelledPgfStatement("PgfFont", src.name(f)))
                    state[std::string(kFontPrefix) + std::string(src.name(f))] = SerializeMifNode(src, f);
        } else if (!IsModelledPgfStatement("", name)) {
            state[std::string(name)] = SerializeMifNode(src, c);
        }
    }
}

void RestoreUnmodelled(MifSource& src, int32_t para, const UnmodelledState& want, const UnmodelledState& have)
{
    std::vector<std::string> pgfStatements, fontStatements;
    for (const auto& [name, bytes] : want) {
        auto it = have.find(name);
        if (it != have.end() && it->second == bytes)
            continue;
        (name.rfind(kFontPrefix, 0) == 0 ? fontStatements : pgfStatements).push_back(bytes);
    }
    if (pgfStatements.empty() && fontStatements.empty())
        return;
    int32_t pgf = LastChildNamed(src, para, "Pgf");
    if (pgf < 0) {
        auto added = src.insert(para, src.firstChild(para, "ParaLine"), "<Pgf \n> # end of Pgf");
        if (added.empty())
            return;
        pgf = added[0];
    }
    for (const std::string& statement : pgfStatements)
        src.insert(pgf, -1, statement);
    if (fontStatements.empty())
        return;
    int32_t font = LastChildNamed(src, pgf, "PgfFont");
    if (font < 0) {
        auto added = src.insert(pgf, -1, "<PgfFont \n> # end of PgfFont");
        if (added.empty())
            return;
        font = added[0];
    }
    for (const std::string& statement : fontStatements)
        src.insert(font, -1, statement);
}

void UnmodelledInheritance::readCatalogue(int32_t catalogue)
{
    for (int32_t c : src_.each(catalogue, "Pgf")) {
        std::string tag, error;
        // the last <PgfTag> names the format, as the reader of the catalogue takes it
        DecodeMifString(src_.firstToken(LastChildNamed(src_, c, "PgfTag")), src_.encoding, tag, error);
        ApplyUnmodelled(src_, c, formats_[tag]);
    }
}

void UnmodelledInheritance::applyDefaults(int32_t node)
{
    ApplyUnmodelled(src_, node, extras_);
    ApplyUnmodelled(src_, node, extrasAsRead_);
}

void UnmodelledInheritance::pass(int32_t para, UnmodelledState read)
{
    extras_ = now(para);
    extrasAsRead_ = std::move(read);
}

// From the running `state`: a paragraph that names a format (one the file was read with, or
// one the document has now) starts from what that format gives, then its own <Pgf>s change it.
UnmodelledState UnmodelledInheritance::of(UnmodelledState state, int32_t para, bool asRead) const
{
    for (int32_t c : src_.each(para)) {
        std::string_view name = src_.name(c);
        if (name == "PgfTag") {
            std::string tag, error;
            DecodeMifString(src_.firstToken(c), src_.encoding, tag, error);
            auto it = formats_.find(tag);
            if (asRead ? it != formats_.end() : doc_.formatByName(tag) != nullptr)
                state = it != formats_.end() ? it->second : UnmodelledState{};
        } else if (name == "Pgf") {
            ApplyUnmodelled(src_, c, state);
        }
    }
    return state;
}

} // namespace tw::host
