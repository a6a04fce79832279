// pgf.h - paragraph property statements (<Pgf> and the statements inside it) to the model's
// property set and back, driven by the one property table (properties.h); also MIF values:
// dimensions with units, percentages, Yes/No, strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/mif/text.h"
#include "host/mif/tree.h"
#include "host/model/model.h"

namespace tw::host {

// 1/65536 point per unit for MIF unit names ("pt", "\"", "in", "mm", "cm", "pc", "dd", "cc", "Q").
std::optional<double> MifUnitPoints(std::string_view unit);

// A dimension such as `12.0 pt`, `0.25"` or `3` (then in `defaultUnit` points) as a metric.
std::optional<int32_t> ParseMifMetric(const std::vector<std::string_view>& tokens, double defaultUnitPoints);
// Several dimensions in a row (e.g. <PgfCellMargins 2.0 pt 2.0 pt 2.0 pt 2.0 pt>).
std::vector<int32_t> ParseMifMetrics(const std::vector<std::string_view>& tokens, double defaultUnitPoints);
std::string FormatMifMetric(int32_t metric); // " 12.0 pt"

// What reading property statements needs besides the statements: the file (for its
// encoding) and the unit that bare numbers are in.
struct MifReadContext {
    const MifSource* src = nullptr;
    double unitPoints = 72.0; // <Units>: what bare numbers mean (inches unless said otherwise)
};

// Applies the property statements of a <Pgf> (or <TblTitlePgf1>, ...) node onto `props`.
// Sets `tag` when the node holds a <PgfTag>, and `encoding` when its font names one.
void ReadPgfStatements(const MifReadContext& ctx, int32_t pgfNode, std::string* tag, PgfProps& props,
                       MifEncoding* encoding);

// Whether a statement inside a <Pgf> (`parent` empty) or inside its <PgfFont> (`parent`
// "PgfFont") carries something the host models: a property of the table, the tag, the tabs or
// the cell margins. ReadPgfStatements reads exactly these.
bool IsModelledPgfStatement(std::string_view parent, std::string_view name);

// Brings a <Pgf> node in line with `want`, where `have` is what the node currently reads as
// (both full property sets): only differing statements are rewritten or added, everything
// else in the node stays as it was. With `base`, what the holder of the node reads as without
// the node's property statements, a differing statement whose value `base` already gives is
// removed rather than rewritten (an override that is taken back).
void WritePgfStatements(MifSource& src, int32_t pgfNode, const PgfProps& want, const PgfProps& have,
                        const PgfProps* base = nullptr);

// A complete <Pgf> statement for a tag and property set, as the publishing program writes it.
std::string PgfStatementText(const MifSource& src, const std::string& tag, const PgfProps& props);

// How many properties two property sets give different values (or only one of them has).
int PgfPropsDifferences(const PgfProps& a, const PgfProps& b);

} // namespace tw::host
