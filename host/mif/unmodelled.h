// unmodelled.h - the paragraph statements the host does not model (MIF 2019's PgfDir, a font's
// FLanguage or FPlatformName, ...), followed as MIF passes them on: a paragraph reads with those
// of its format when it names one, else with those it inherits from the paragraph before it,
// and its own <Pgf> changes them. The model keeps none of this; the writer uses it to keep a
// paragraph reading as it did when the one before it changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/mif/tree.h"
#include "host/model/model.h"

namespace tw::host {

// What a paragraph reads with that the host does not model: each statement by its name
// ("PgfDir"; "PgfFont/FLanguage" inside the font), with its bytes as the file has it.
using UnmodelledState = std::map<std::string, std::string>;

// Applies the statements of a <Pgf> node (or of a table format's paragraph defaults) that
// the host does not model onto `state`: the last one of a name wins.
void ApplyUnmodelled(const MifSource& src, int32_t pgfNode, UnmodelledState& state);

// Gives the paragraph `para` the statements of `want` that it does not read with now (`have`
// lacks them or gives other bytes), in its last <Pgf> (one is made when it has none) and that
// <Pgf>'s <PgfFont>. A statement `have` has and `want` lacks cannot be taken back (the host
// does not know the default it stands against) and stays.
void RestoreUnmodelled(MifSource& src, int32_t para, const UnmodelledState& want, const UnmodelledState& have);

// While a document is written: what each paragraph reads with that the host does not model, as
// the file was read (its formats, and the paragraphs before as they were) and as it is being
// written (the formats the document has now, and the paragraphs before as written).
class UnmodelledInheritance {
public:
    UnmodelledInheritance(const MifSource& src, Document& doc) : src_(src), doc_(doc) { }

    // The catalogue as read, before any change to it is written: what each format gives.
    void readCatalogue(int32_t catalogue);
    // A table format's paragraph defaults: they change both alike.
    void applyDefaults(int32_t node);
    // What `para` reads with, as the file was read (ask before anything of it is written) and
    // as it is now.
    UnmodelledState asRead(int32_t para) const { return of(extrasAsRead_, para, true); }
    UnmodelledState now(int32_t para) const { return of(extras_, para, false); }
    // Moves on past `para`, once it is written; `read` is what asRead() gave for it.
    void pass(int32_t para, UnmodelledState read);

private:
    UnmodelledState of(UnmodelledState state, int32_t para, bool asRead) const;

    const MifSource& src_;
    Document& doc_;
    UnmodelledState extras_, extrasAsRead_;
    std::map<std::string, UnmodelledState> formats_;
};

} // namespace tw::host
