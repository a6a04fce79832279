// compare_command.cpp - the compare subcommand: both files opened through the host, then the
// one comparison or the other.
#include "cli/compare_command.h"

#include "cli/book_compare.h"
#include "cli/changes.h"
#include "cli/compare.h"
#include "cli/reporter.h"
#include "host/com/host.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

int RunCompare(const Request& req, std::ostream& out, std::ostream& err)
{
    Reporter report(err, req.quiet);
    MifStore store;
    store.notice = [&report](const std::string& text) { report.warning(text); };
    Host host;
    host.setStore(&store);
    host.model().installDir = req.hostDir ? *req.hostDir : DefaultInstallDir();
    const Document* docs[2] = {nullptr, nullptr};
    const std::string* paths[2] = {&req.path, &req.templatePath};
    for (int i = 0; i < 2; i++) {
        int32_t status = 0;
        std::string error;
        ObjectId id = host.openFile(*paths[i], true, status, &error);
        if (!id) {
            report.error(error);
            return kExitFile;
        }
        docs[i] = host.model().document(id);
        if (!docs[i] && i == 0 && host.model().book(id))
            return RunBookCompare(req, host, id, out, err);
        if (!docs[i]) {
            report.error(*paths[i] + " is a book; compare works on documents");
            return kExitUsage;
        }
    }
    CatalogueComparison c = CompareCatalogues(*docs[0], *docs[1]);
    c.document = FileName(req.path);
    c.templ = FileName(req.templatePath);
    if (c.templ == c.document)
        c.templ = NativePath(req.templatePath);
    if (req.html) { // the page of a book with one chapter
        BookComparison page;
        page.book = c.document;
        page.templ = c.templ;
        for (ObjectId id : docs[1]->catalogue)
            if (const PgfFormat* f = docs[1]->format(id))
                page.templateFormats.push_back(f->name);
        page.chapters.push_back({c.document, req.path, true, {}, c});
        if (!WriteHtmlPage(*req.html, BookComparisonHtml(page), out, err, req.quiet))
            return kExitFile;
    } else {
        PrintComparison(out, c, req.format);
    }
    return c.equal() ? kExitOk : kExitWarning;
}

} // namespace tw::cli
