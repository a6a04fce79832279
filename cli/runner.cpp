// runner.cpp - one tagwright request, end to end, through the loaded plug-in.

#include "cli/runner.h"

#include <unicode/putil.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/printer.h"
#include "host/mif_store.h"
#include "host/posix_io.h"
#include "host/session.h"

namespace tw::cli {

using namespace tw::host;

namespace {

constexpr int32_t kNextOverride = 8;
constexpr int32_t kAbout = 1000;

bool ChangesDocument(const std::string& sub)
{
    return sub == "delete-unused" || sub == "keep-listed" || sub == "convert" || sub == "remove-overrides";
}

// The paragraphs of an output document's main flow, with the tables they anchor; the last,
// empty paragraph that every output document ends with is left out.
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

class Reporter {
public:
    Reporter(std::ostream& err, bool quiet) : err_(err), quiet_(quiet) {}
    void error(const std::string& text) { endProgress(); err_ << "tagwright: error: " << text << '\n'; }
    void warning(const std::string& text) { endProgress(); err_ << "tagwright: warning: " << text << '\n'; }
    void note(const std::string& text)
    {
        if (quiet_)
            return;
        endProgress();
        err_ << "tagwright: note: " << text << '\n';
    }
    void console(const std::string& text)
    {
        endProgress();
        err_ << text;
        err_.flush();
    }
    void progress(const std::string& line)
    {
        if (quiet_)
            return;
        err_ << "\r\033[K" << line;
        err_.flush();
        progressShown_ = !line.empty();
    }
    void endProgress()
    {
        if (progressShown_)
            err_ << "\r\033[K";
        progressShown_ = false;
    }

private:
    std::ostream& err_;
    bool quiet_;
    bool progressShown_ = false;
};

} // namespace

int Run(const Request& req, std::ostream& out, std::ostream& err, const Asker& asker)
{
    Reporter report(err, req.quiet);
    auto numbers = CommandsFor(req);
    if (!numbers) {
        report.error("unknown command '" + req.subcommand + "'");
        return kExitUsage;
    }

    MifStore store;
    Session session(MemoryMode::TaskMemory);
    Host& host = session.host();
    session.setStore(&store);
    session.setInstallDir(req.hostDir ? *req.hostDir : DefaultInstallDir());
    // The plug-in takes its converters from <install dir>/icu_data. A --host-dir that only
    // holds a template has none: the tool then points ICU at the build's own converter data,
    // as an installed host would have it, instead of letting every conversion fail.
    if (req.hostDir && !std::filesystem::exists(std::filesystem::path(*req.hostDir) / "icu_data"))
        u_setDataDirectory((DefaultInstallDir() + "/icu_data").c_str());
    host.echoConsole = [&](const std::string& text) { report.console(text); };
    if (asker.progress)
        host.echoStatus = [&](const std::string& line) { report.progress(line); };

    std::string error;
    if (!session.load(error)) {
        report.error(error);
        return kExitFile;
    }

    // Open the target, then the table document, so the target is the first open document.
    ObjectId target = 0;
    bool isBook = false;
    if (req.subcommand != "about") {
        target = session.open(req.path, &error);
        if (!target) {
            report.error(error);
            return kExitFile;
        }
        isBook = session.model().book(target) != nullptr;
    }
    int32_t number = isBook ? numbers->book : numbers->document;
    if (number == 0) {
        report.error(req.path + (isBook ? " is a book; this command works on a document"
                                        : " is a document; this command works on a book"));
        return kExitUsage;
    }
    if (req.table) {
        ObjectId tableDoc = session.open(*req.table, &error);
        if (!tableDoc) {
            report.error(error);
            return kExitFile;
        }
        if (!session.model().document(tableDoc)) {
            report.error(*req.table + " is a book; the table must be in a document");
            return kExitUsage;
        }
    }
    session.activate(0);
    if (target)
        session.activate(target);

    // Answers the command line gave; anything else is asked, or cancelled off a terminal.
    if (req.yes)
        host.defaultQuestionAnswer = 0;
    else
        host.askQuestion = [&](const std::string& text) {
            report.endProgress();
            return asker.confirm && asker.confirm(text) ? 0 : -1;
        };
    if (req.choice) {
        auto index = ChoiceIndex(*req.choice);
        if (!index) {
            report.error("--choice takes empty, in-use or all, not '" + *req.choice + "'");
            return kExitUsage;
        }
        host.queueListChoice(*index);
    } else if (req.tag) {
        host.queueListChoice(*req.tag);
    } else {
        host.askChoice = [&](const std::string& title, const std::vector<std::string>& items) -> int32_t {
            report.endProgress();
            auto chosen = asker.choose ? asker.choose(title, items) : std::nullopt;
            return chosen ? *chosen : -1;
        };
    }

    Document* doc = isBook ? nullptr : session.model().document(target);
    if (number == kNextOverride && doc) {
        int32_t n = req.from.value_or(1);
        ObjectId p = doc->firstParagraphOfFlow(doc->mainFlow);
        for (int32_t i = 1; p && i < n; i++)
            p = doc->nextParagraph(p);
        if (!p || n < 1) {
            report.error(req.path + " has no paragraph " + std::to_string(n) + " in its main flow");
            return kExitUsage;
        }
        doc->selection = TextRange{{p, 0}, {p, 0}};
    }

    const size_t alertsBefore = host.alerts().size();
    const size_t dialogsBefore = host.listDialogs().size();
    session.command(number);
    report.endProgress();

    bool cancelled = false, warned = false;
    for (size_t i = alertsBefore; i < host.alerts().size(); i++) {
        const AlertRecord& a = host.alerts()[i];
        if (a.kind == 1 && a.answer != 0)
            cancelled = true;
        else if (a.kind == 3) {
            report.warning(a.text);
            warned = true;
        } else if (a.kind == 2 && number == kAbout)
            out << a.text << '\n';
        else if (a.kind == 2)
            report.note(a.text);
    }
    for (size_t i = dialogsBefore; i < host.listDialogs().size(); i++) {
        const ListChoiceRecord& dialog = host.listDialogs()[i];
        if (dialog.chosen >= 0)
            continue;
        if (req.tag && std::find(dialog.items.begin(), dialog.items.end(), *req.tag) == dialog.items.end()) {
            report.error(req.path + " has no paragraph format named '" + *req.tag + "'");
            return kExitUsage;
        }
        cancelled = true;
    }

    int status = kExitOk;
    const auto outputs = session.outputDocuments();
    for (size_t i = 0; i < outputs.size(); i++) {
        auto paragraphs = OutputParagraphs(session, outputs[i]);
        if (req.format == Format::Json)
            PrintJson(out, paragraphs);
        else
            PrintText(out, paragraphs);
        if (req.output) {
            std::string file = *req.output;
            if (i > 0) {
                std::filesystem::path p(file);
                file = (p.parent_path() / (p.stem().string() + "-" + std::to_string(i + 1) + p.extension().string())).string();
            }
            if (host.saveFile(outputs[i], file) != 0) {
                report.error("could not write " + file);
                status = kExitFile;
            }
        }
    }

    if (number == kNextOverride && doc) {
        const Paragraph* selected = doc->paragraph(doc->selection.begin.object);
        bool noted = false;
        for (size_t i = alertsBefore; i < host.alerts().size(); i++)
            noted = noted || host.alerts()[i].kind == 2;
        if (selected && !noted)
            out << selected->text << '\n';
    }

    if (doc && ChangesDocument(req.subcommand) && doc->modified) {
        if (req.write) {
            if (host.saveFile(target, doc->path) != 0) {
                report.error("could not write " + req.path);
                status = kExitFile;
            }
        } else {
            report.note(req.path + " was changed in memory only; --write saves it");
        }
    }

    // Book files the plug-in could not open or save: it said which on the console.
    const std::string& console = host.consoleText();
    if (console.find("Could not open file:") != std::string::npos ||
        console.find("Could not save file:") != std::string::npos)
        status = kExitFile;

    if (status != kExitOk)
        return status;
    if (cancelled)
        return kExitCancelled;
    if (warned)
        return kExitWarning;
    return kExitOk;
}

Asker TerminalAsker()
{
    Asker a;
    const bool terminal = host::io::IsTerminal(0) && host::io::IsTerminal(2);
    a.progress = host::io::IsTerminal(2);
    if (!terminal)
        return a;
    a.confirm = [](const std::string& question) {
        std::cerr << question << " [y/N] " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line))
            return false;
        return line == "y" || line == "Y" || line == "yes";
    };
    a.choose = [](const std::string& title, const std::vector<std::string>& items) -> std::optional<int32_t> {
        std::cerr << title << '\n';
        for (size_t i = 0; i < items.size(); i++)
            std::cerr << "  " << (i + 1) << ". " << items[i] << '\n';
        std::cerr << "Number (empty cancels): " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line) || line.empty())
            return std::nullopt;
        try {
            size_t used = 0;
            int n = std::stoi(line, &used);
            if (used == line.size() && n >= 1 && static_cast<size_t>(n) <= items.size())
                return n - 1;
        } catch (const std::exception&) {
        }
        return std::nullopt;
    };
    return a;
}

} // namespace tw::cli
