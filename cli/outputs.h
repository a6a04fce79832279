// outputs.h - the documents a plug-in command created: printed on standard output as text or
// JSON, and with -o FILE saved as MIF (FILE for the first, FILE-2, FILE-3, ... for the others).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "cli/input_files.h"
#include "cli/printer.h"
#include "cli/reporter.h"
#include "host/com/session.h"

namespace tw::cli {

// The paragraphs of an output document's main flow with the tables they anchor, without the
// last, empty paragraph every output document ends with.
std::vector<PrintedParagraph> OutputParagraphs(host::Session& s, ObjectId doc);

// The file the i-th output document (from 0) is saved to with -o FILE.
std::string OutputFile(const std::string& file, size_t i);

enum class OutputsSaved { Ok, Failed, Refused };

// Prints every output document and saves each with -o: Failed when a save failed (reported).
// When any output file is one of `inputs`, none is written: Refused (reported).
OutputsSaved ShowOutputDocuments(host::Session& s, const std::vector<ObjectId>& outputs, const Request& req,
                                 const InputFiles& inputs, std::ostream& out, Reporter& report);

} // namespace tw::cli
