// outputs.cpp - printing and saving a command's output documents.

#include "cli/outputs.h"

#include <filesystem>

#include "cli/csv_table.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

std::vector<PrintedParagraph> OutputParagraphs(Session& s, ObjectId docId)
{
    std::vector<PrintedParagraph> out;
    Document* d = s.model().document(docId);
    if (!d)
        return out;
    for (ObjectId p = d->firstParagraphOfFlow(d->mainFlow); p; p = d->nextParagraph(p)) {
        const Paragraph* para = d->paragraph(p);
        PrintedParagraph pp{para->tag, para->text, {}};
        for (ObjectId t : d->tables) {
            const Table* table = d->table(t);
            if (table && table->anchor == p) {
                auto rows = s.tableTexts(docId, t);
                pp.table.insert(pp.table.end(), rows.begin(), rows.end());
            }
        }
        out.push_back(std::move(pp));
    }
    if (!out.empty() && out.back().text.empty() && out.back().table.empty())
        out.pop_back();
    return out;
}

std::string OutputFile(const std::string& file, size_t i)
{
    if (i == 0)
        return file;
    std::filesystem::path p(file);
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(i + 1) + p.extension().string())).string();
}

OutputsSaved ShowOutputDocuments(Session& s, const std::vector<ObjectId>& outputs, const Request& req,
                                 const InputFiles& inputs, std::ostream& out, Reporter& report)
{
    OutputsSaved result = OutputsSaved::Ok;
    bool save = req.output.has_value() && *req.output != "-"; // "-": standard output, no file
    for (size_t i = 0; save && i < outputs.size(); i++) {
        const std::string file = OutputFile(*req.output, i);
        if (auto input = inputs.find(file)) {
            report.error(OutputIsInputRefusal(file, *input));
            save = false;
            result = OutputsSaved::Refused;
        }
    }
    for (size_t i = 0; i < outputs.size(); i++) {
        // -o - puts the document itself (MIF) where the listing would go.
        if (req.output && *req.output == "-") {
            if (const Document* d = s.model().document(outputs[i]))
                out << MifDocumentBytes(*d);
            continue;
        }
        auto paragraphs = OutputParagraphs(s, outputs[i]);
        if (req.format == Format::Json)
            PrintJson(out, paragraphs);
        else if (auto rows = req.format == Format::Csv ? FindTableRows(s, outputs[i]) : std::nullopt)
            out << TableCsv(*rows);
        else
            PrintText(out, paragraphs);
        if (save) {
            const std::string file = OutputFile(*req.output, i);
            std::string error;
            if (IsCsvPath(file)) {
                if (!WriteTableCsv(s, outputs[i], file, error)) {
                    report.error(error);
                    result = OutputsSaved::Failed;
                }
            } else if (s.host().saveFile(outputs[i], file) != 0) {
                report.error("could not write " + file);
                result = OutputsSaved::Failed;
            }
        }
    }
    return result;
}

} // namespace tw::cli
