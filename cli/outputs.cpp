// outputs.cpp - printing and saving a command's output documents.

#include "cli/outputs.h"

#include <filesystem>

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

bool ShowOutputDocuments(Session& s, const std::vector<ObjectId>& outputs, const Request& req, std::ostream& out,
                         Reporter& report)
{
    bool ok = true;
    for (size_t i = 0; i < outputs.size(); i++) {
        auto paragraphs = OutputParagraphs(s, outputs[i]);
        if (req.format == Format::Json)
            PrintJson(out, paragraphs);
        else
            PrintText(out, paragraphs);
        if (req.output) {
            const std::string file = OutputFile(*req.output, i);
            if (s.host().saveFile(outputs[i], file) != 0) {
                report.error("could not write " + file);
                ok = false;
            }
        }
    }
    return ok;
}

} // namespace tw::cli
