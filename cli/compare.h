// compare.h - a document's paragraph catalogue against a template's: formats missing from
// the document, extra in it, and formats of both whose properties differ, property by
// property through the host's property table, with both values in the units the paragraph
// tag report uses (the document's display unit for indents and tabs, points for font sizes
// and spacing, per cent, True/False).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "host/model/model.h"
#include "host/model/properties.h"

namespace tw::cli {

struct PropertyDifference {
    std::string format;
    std::string property; // the property's MIF statement name
    int32_t number = 0;
    std::string documentValue;
    std::string templateValue;
};

struct CatalogueComparison {
    std::string document, templ;      // shown names
    std::vector<std::string> missing; // in the template's catalogue order
    std::vector<std::string> extra;   // in the document's catalogue order
    std::vector<PropertyDifference> different;
    bool equal() const { return missing.empty() && extra.empty() && different.empty(); }
};

CatalogueComparison CompareCatalogues(const host::Document& doc, const host::Document& templ);

// One property value as the report shows it, in the units of `doc`.
std::string PropertyText(const host::Document& doc, const host::PropertyInfo& info, const host::PropValue& value);

void PrintComparison(std::ostream& out, const CatalogueComparison& c, Format format);

} // namespace tw::cli
