// runner.cpp - one tagwright request, end to end, through the loaded plug-in, in phases:
// start the host, open the files, script the answers, run the command, read what it showed,
// print and save its output documents, save the changed document, and decide the exit status
// from what the host recorded.

#include "cli/runner.h"

#include <unicode/putil.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "cli/changes.h"
#include "cli/input_files.h"
#include "cli/interrupt.h"
#include "cli/csv_table.h"
#include "cli/outputs.h"
#include "cli/reporter.h"
#include "cli/save_guard.h"
#include "cli/subcommands.h"
#include "cli/text_safety.h"
#include "host/files/file_lock.h"
#include "host/files/mif_store.h"
#include "host/files/posix_io.h"
#include "host/com/session.h"

namespace tw::cli {

using namespace tw::host;

namespace {

constexpr const char* kTemplateName = "VellOutput.fm";

FileChanges Unchanged(const std::string& path)
{
    FileChanges c;
    c.path = path;
    return c;
}

int CountBookFiles(const Book& book)
{
    int n = 0;
    for (const auto& [id, c] : book.components)
        n += c.kind == kComponentFile;
    return n;
}

// What the plug-in showed during the command.
struct Shown {
    bool cancelled = false;
    bool warned = false;
    bool noted = false;
};

class Job {
public:
    Job(const Request& req, std::ostream& out, std::ostream& err, const Asker& asker)
        : req_(req),
          sub_(FindSubcommand(req.subcommand)),
          out_(out),
          asker_(asker),
          report_(err, req.quiet),
          stoppable_(files_),
          guard_(stoppable_),
          session_(MemoryMode::TaskMemory),
          host_(session_.host())
    { }

    int run();

private:
    int phases();
    int stopped();
    std::optional<int> startHost();
    std::optional<int> openFiles();
    std::optional<int> scriptAnswers();
    std::optional<int> placeSelection();
    std::optional<int> checkOutputs();
    void runCommand();
    std::optional<int> readShown();
    void showOutputs();
    void showSelection();
    void saveDocument();
    void summarize();
    int exitStatus() const;

    bool isTemplate(const std::string& path) const;
    bool has(uint32_t flags) const { return sub_ && (sub_->flags & flags) == flags; }
    std::string base() const; // the folder of the target, for file names in messages

    const Request& req_;
    const Subcommand* sub_; // nullptr for a name the table does not know
    std::ostream& out_;
    const Asker& asker_;
    Reporter report_;
    MifStore files_;
    InterruptibleStore stoppable_; // opens and saves nothing once the run was interrupted
    SaveGuard guard_;
    FileLocks locks_;   // on the files this run changes
    InputFiles inputs_; // the files this run reads, which no output replaces
    Session session_;
    Host& host_;

    int32_t number_ = 0;
    ObjectId target_ = 0;
    bool isBook_ = false;
    Document* doc_ = nullptr;
    size_t alertsBefore_ = 0, dialogsBefore_ = 0, opensBefore_ = 0;
    Shown shown_;
    bool fileFailed_ = false;
    bool outputRefused_ = false; // an output file was one the run reads
    std::vector<FileChanges> changes_;
    std::string installDir_;
    std::string unconfirmed_; // the question there was no terminal to ask
};

// Whatever phase a signal came in, the run ends by saying what was saved and what was not.
int Job::run()
{
    const int status = phases();
    return Interruption() ? stopped() : status;
}

int Job::phases()
{
    auto numbers = CommandsFor(req_);
    if (!numbers) {
        report_.error("unknown command '" + req_.subcommand + "'");
        return kExitUsage;
    }
    if (auto exit = startHost())
        return *exit;
    if (auto exit = openFiles())
        return *exit;
    number_ = isBook_ ? numbers->book : numbers->document;
    if (number_ == 0) {
        report_.error(req_.path + (isBook_ ? " is a book; this command works on a document"
                                           : " is a document; this command works on a book"));
        return kExitUsage;
    }
    if (req_.dryRun && !has(kChangesFiles)) {
        report_.error("--dry-run works with " + NamesWith(kChangesFiles));
        return kExitUsage;
    }
    if (auto exit = scriptAnswers())
        return *exit;
    if (auto exit = placeSelection())
        return *exit;
    if (auto exit = checkOutputs())
        return *exit;
    runCommand();
    if (Interruption())
        return kExitCancelled;
    if (auto exit = readShown())
        return *exit;
    showOutputs();
    showSelection();
    saveDocument();
    if (Interruption())
        return kExitCancelled;
    summarize();
    return exitStatus();
}

std::optional<int> Job::startHost()
{
    session_.setStore(&guard_);
    installDir_ = req_.hostDir ? *req_.hostDir : DefaultInstallDir();
    session_.setInstallDir(installDir_);
    // Book commands open every file once per pass; unchanged files come back from memory.
    long cacheMb = static_cast<long>(kDefaultCacheMb);
    if (req_.cacheMb) {
        cacheMb = *req_.cacheMb;
    } else if (const char* env = std::getenv("TAGWRIGHT_CACHE_MB"); env && *env) {
        char* end = nullptr;
        long v = std::strtol(env, &end, 10);
        if (*end != '\0' || v < 0) {
            report_.error(
                std::string("TAGWRIGHT_CACHE_MB must be a number of megabytes (0 turns the cache off), not '") + env +
                "'");
            return kExitUsage;
        }
        cacheMb = v;
    }
    host_.cache().setBudget(static_cast<size_t>(cacheMb) << 20);
    // A listing by tag walks the whole book once per tag: worth keeping files from the first
    // walk on. Other commands keep them once they come back to one.
    if (req_.byTag)
        host_.cache().keepFromFirstClose();
    // The plug-in takes its converters from <install dir>/icu_data. A --host-dir that only
    // holds a template has none: the tool then points ICU at the build's own converter data,
    // as an installed host would have it, instead of letting every conversion fail.
    if (req_.hostDir && !std::filesystem::exists(std::filesystem::path(*req_.hostDir) / "icu_data"))
        u_setDataDirectory((DefaultInstallDir() + "/icu_data").c_str());
    // Once interrupted, the plug-in's lines about the files it can no longer open are noise.
    host_.echoConsole = [this](const std::string& text) {
        if (!Interruption())
            report_.console(text);
    };
    if (asker_.progress) {
        report_.useTerminal();
        host_.echoStatus = [this](const std::string& line) {
            if (!Interruption())
                report_.status(line);
        };
    }
    files_.failSave = SavePauseFromEnvironment();
    guard_.failBackup = files_.failSave;
    files_.notice = [this](const std::string& text) { report_.warning(text); };

    guard_.dryRun = req_.dryRun;
    guard_.backup = req_.backup;
    guard_.trackChanges = has(kChangesFiles);

    std::string error;
    if (!session_.load(error)) {
        report_.error(error);
        return kExitFile;
    }
    return std::nullopt;
}

// Opens the target, then the table document, so the target is the first open document.
std::optional<int> Job::openFiles()
{
    std::string error;
    if (sub_->path) {
        target_ = session_.open(req_.path, &error);
        if (!target_) {
            report_.error(error);
            return kExitFile;
        }
        if (Book* book = session_.model().book(target_)) {
            isBook_ = true;
            report_.startProgress(CountBookFiles(*book));
        } else {
            doc_ = session_.model().document(target_);
        }
    }
    if (req_.table) {
        // A .csv table becomes a table document the host opens, as the user would have made it.
        ObjectId tableDoc = IsCsvPath(*req_.table) ? OpenCsvTable(session_, *req_.table,
                                                                  sub_->tableHeading ? sub_->tableHeading : "", error)
                                                   : session_.open(*req_.table, &error);
        if (!tableDoc) {
            report_.error(error);
            return kExitFile;
        }
        if (!session_.model().document(tableDoc)) {
            report_.error(*req_.table + " is a book; the table must be in a document");
            return kExitUsage;
        }
    }
    session_.activate(0);
    if (target_)
        session_.activate(target_);

    if (target_)
        inputs_.add(NativePath(req_.path));
    if (req_.table)
        inputs_.add(NativePath(*req_.table));
    if (const Book* book = session_.model().book(target_))
        for (const auto& [id, component] : book->components)
            if (component.kind == kComponentFile)
                inputs_.add(component.path);
    guard_.inputs = &inputs_;

    // A run that changes files holds a lock on each of them until it ends, so that a second
    // run that would change the same files refuses instead of overwriting this one's work.
    if (has(kChangesFiles) && !req_.dryRun && (isBook_ || req_.write)) {
        SetChangingFiles(true); // from here a signal waits for a point where every file is whole
        std::vector<std::string> paths{NativePath(req_.path)};
        if (const Book* book = session_.model().book(target_))
            for (const auto& [id, component] : book->components)
                if (component.kind == kComponentFile)
                    paths.push_back(component.path);
        for (const std::string& path : paths)
            if (!locks_.lock(path, error)) {
                report_.error(error);
                return kExitFile;
            }
    }
    return std::nullopt;
}

// Answers the command line gave; anything else is asked, or cancelled off a terminal.
std::optional<int> Job::scriptAnswers()
{
    // A dry run writes nothing, so it needs no confirmation.
    if (req_.yes || req_.dryRun)
        host_.defaultQuestionAnswer = 0;
    else
        host_.askQuestion = [this](const std::string& text) {
            report_.endProgress();
            if (!asker_.confirm)
                unconfirmed_ = text; // no terminal to ask on
            return asker_.confirm && asker_.confirm(text) ? 0 : -1;
        };
    if (req_.choice) {
        auto index = ChoiceIndex(*req_.choice);
        if (!index) {
            report_.error("--choice takes empty, in-use or all, not '" + *req_.choice + "'");
            return kExitUsage;
        }
        host_.queueListChoice(*index);
    } else if (req_.tag) {
        host_.queueListChoice(*req_.tag);
    } else {
        host_.askChoice = [this](const std::string& title, const std::vector<std::string>& items) -> int32_t {
            report_.endProgress();
            auto chosen = asker_.choose ? asker_.choose(title, items) : std::nullopt;
            return chosen ? *chosen : -1;
        };
    }
    // A book command that deletes formats holds its saves until the tool has warned about
    // what the deletions leave dangling.
    guard_.hold = isBook_ && has(kDeletesFormats);
    return std::nullopt;
}

// Find Next Override starts at the selection: --from N puts it at paragraph N.
std::optional<int> Job::placeSelection()
{
    if (number_ != TW_CMD_FIND_NEXT_OVERRIDE || !doc_)
        return std::nullopt;
    int32_t n = req_.from.value_or(1);
    ObjectId p = doc_->firstParagraphOfFlow(doc_->mainFlow);
    for (int32_t i = 1; p && i < n; i++)
        p = doc_->nextParagraph(p);
    if (!p || n < 1) {
        report_.error(req_.path + " has no paragraph " + std::to_string(n) + " in its main flow");
        return kExitUsage;
    }
    doc_->selection = TextRange{{p, 0}, {p, 0}};
    return std::nullopt;
}

// An output file (-o) that is one of the files the run reads is refused before the command
// changes or writes anything. The further outputs (FILE-2, ...) are checked again, once known,
// before the first is written.
std::optional<int> Job::checkOutputs()
{
    if (!req_.output)
        return std::nullopt;
    const std::string file = OutputFile(*req_.output, 0);
    if (auto input = inputs_.find(file)) {
        report_.error(OutputIsInputRefusal(file, *input));
        return kExitUsage;
    }
    return std::nullopt;
}

void Job::runCommand()
{
    alertsBefore_ = host_.alerts().size();
    dialogsBefore_ = host_.listDialogs().size();
    opensBefore_ = host_.opens().size();
    session_.command(number_);
    report_.endProgress();
}

std::optional<int> Job::readShown()
{
    // The plug-in names a book file it could not open on the console; the host knows why.
    for (size_t i = opensBefore_; i < host_.opens().size(); i++) {
        const OpenRecord& o = host_.opens()[i];
        if (!o.result && !o.error.empty() && !isTemplate(o.path))
            report_.error(o.error);
    }
    for (size_t i = alertsBefore_; i < host_.alerts().size(); i++) {
        const AlertRecord& a = host_.alerts()[i];
        if (a.kind == ALERT_QUESTION && a.answer != 0)
            shown_.cancelled = true;
        else if (a.kind == ALERT_WARNING) {
            report_.warning(a.text);
            shown_.warned = true;
        } else if (a.kind == ALERT_NOTE && number_ == TW_CMD_ABOUT)
            out_ << a.text << '\n'; // the plug-in's own description, several lines
        else if (a.kind == ALERT_NOTE) {
            report_.note(a.text);
            shown_.noted = true;
        }
    }
    if (shown_.cancelled && !unconfirmed_.empty())
        report_.error("not confirmed: \"" + unconfirmed_ +
                      "\" needs an answer and there is no terminal to ask on; nothing was changed. Add --yes to "
                      "confirm, or --dry-run to see what would change");
    for (size_t i = dialogsBefore_; i < host_.listDialogs().size(); i++) {
        const ListChoiceRecord& dialog = host_.listDialogs()[i];
        if (dialog.chosen >= 0)
            continue;
        if (req_.tag && std::find(dialog.items.begin(), dialog.items.end(), *req_.tag) == dialog.items.end()) {
            report_.error(req_.path + " has no paragraph format named '" + *req_.tag + "'");
            return kExitUsage;
        }
        shown_.cancelled = true;
    }
    return std::nullopt;
}

void Job::showOutputs()
{
    switch (ShowOutputDocuments(session_, session_.outputDocuments(), req_, inputs_, out_, report_)) {
    case OutputsSaved::Ok: break;
    case OutputsSaved::Failed: fileFailed_ = true; break;
    case OutputsSaved::Refused: outputRefused_ = true; break;
    }
}

// Find Next Override prints the paragraph it selected, unless it said there was none.
void Job::showSelection()
{
    if (number_ != TW_CMD_FIND_NEXT_OVERRIDE || !doc_ || shown_.noted)
        return;
    if (const Paragraph* selected = doc_->paragraph(doc_->selection.begin.object))
        out_ << TerminalText(selected->text) << '\n';
}

// What the command changed: a book's files as their saves were recorded, the document as it
// is in memory against its file. Formats about to be deleted that a kept format names as its
// next tag are warned about before anything is written; then the held saves are written and a
// changed document is saved with --write. A dry run writes nothing.
void Job::saveDocument()
{
    if (!has(kChangesFiles) || shown_.cancelled)
        return;
    changes_ = guard_.changes();
    if (doc_)
        changes_.push_back(doc_->modified ? ChangesAgainstFile(*doc_, doc_->path) : Unchanged(doc_->path));
    for (const FileChanges& c : changes_)
        for (const NextTagReference& ref : c.references) {
            report_.warning(ReferenceWarning(DisplayName(c.path, base()), ref));
            shown_.warned = true;
        }

    std::vector<std::string> errors;
    guard_.commit(session_.model(), errors);
    for (const std::string& e : errors) {
        if (IsInterruptionRefusal(e))
            continue; // listed when the run ends
        report_.error(e);
        fileFailed_ = true;
    }
    if (isBook_) {
        changes_ = guard_.changes(); // now with what was written
        return;
    }
    if (!doc_->modified || req_.dryRun)
        return;
    if (!req_.write) {
        report_.note(req_.path + " was changed in memory only; --write saves it");
        return;
    }
    if (host_.saveFile(target_, doc_->path) != 0) {
        report_.error("could not write " + req_.path);
        fileFailed_ = true;
        changes_.back().failed = true;
    } else {
        changes_.back().written = true;
    }
}

// The summary of what changed, file by file; in a dry run, of what would change.
void Job::summarize()
{
    if (!has(kChangesFiles) || shown_.cancelled)
        return;
    PrintChanges(out_, changes_, base(), req_.dryRun, req_.format);
    if (req_.dryRun)
        report_.note("dry run: no file was written");
}

// A run a signal stopped: the files it saved, and those it would have changed that it did not
// (each as it was before the run).
int Job::stopped()
{
    const int signal = Interruption();
    report_.endProgress();
    std::vector<std::string> candidates;
    if (has(kChangesFiles) && !req_.dryRun) {
        if (const Book* book = isBook_ ? session_.model().book(target_) : nullptr) {
            for (const auto& [id, component] : book->components)
                if (component.kind == kComponentFile)
                    candidates.push_back(NativePath(component.path));
        } else if (req_.write) {
            candidates.push_back(NativePath(req_.path));
        }
    }
    std::set<std::string> written;
    std::vector<std::string> saved, unsaved;
    for (const FileChanges& c : guard_.changes()) {
        if (c.written && written.insert(NativePath(c.path)).second)
            saved.push_back(DisplayName(NativePath(c.path), base()));
        else if (!c.written)
            candidates.push_back(NativePath(c.path));
    }
    std::set<std::string> listed;
    for (const std::string& path : candidates)
        if (!written.count(path) && listed.insert(path).second)
            unsaved.push_back(DisplayName(path, base()));
    auto join = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "" : ", ") + name;
        return text;
    };
    report_.console(std::string("tagwright: interrupted by ") + SignalName(signal) +
                    ": stopped with every file whole\n");
    report_.console("tagwright: saved: " + (saved.empty() ? std::string("none") : join(saved)) + "\n");
    if (!unsaved.empty())
        report_.console("tagwright: not saved (left as it was): " + join(unsaved) + "\n");
    return InterruptedExit(signal);
}

std::string Job::base() const { return std::filesystem::path(NativePath(req_.path)).parent_path().string(); }

// The optional output template, which the plug-in tries to open for every output document.
bool Job::isTemplate(const std::string& path) const
{
    namespace fs = std::filesystem;
    const fs::path p = fs::path(NativePath(path)).lexically_normal();
    return p.filename() == kTemplateName && p.parent_path() == fs::path(NativePath(installDir_)).lexically_normal();
}

int Job::exitStatus() const
{
    // Files the command could not open (the template is optional) or save.
    bool failed = fileFailed_;
    for (size_t i = opensBefore_; i < host_.opens().size(); i++) {
        const OpenRecord& o = host_.opens()[i];
        if (o.status != kStatusOk && !isTemplate(o.path))
            failed = true;
    }
    for (const SaveRecord& s : host_.saves())
        if (s.status != kStatusOk)
            failed = true;
    if (failed)
        return kExitFile;
    if (outputRefused_)
        return kExitUsage;
    if (shown_.cancelled)
        return kExitCancelled;
    if (shown_.warned)
        return kExitWarning;
    return kExitOk;
}

} // namespace

int Run(const Request& req, std::ostream& out, std::ostream& err, const Asker& asker)
{
    if (const Subcommand* sub = FindSubcommand(req.subcommand); sub && (sub->flags & kToolOwn))
        return sub->run(req, out, err);
    Job job(req, out, err, asker);
    return job.run();
}

Asker TerminalAsker()
{
    Asker a;
    const bool terminal = host::io::IsTerminal(0) && host::io::IsTerminal(2);
    a.progress = host::io::IsTerminal(2);
    if (!terminal)
        return a;
    a.confirm = [](const std::string& question) {
        std::cerr << TerminalText(question) << " [y/N] " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line))
            return false;
        return line == "y" || line == "Y" || line == "yes";
    };
    a.choose = [](const std::string& title, const std::vector<std::string>& items) -> std::optional<int32_t> {
        std::cerr << TerminalText(title) << '\n';
        for (size_t i = 0; i < items.size(); i++)
            std::cerr << "  " << (i + 1) << ". " << TerminalText(items[i]) << '\n';
        std::cerr << "Number (empty cancels): " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line) || line.empty())
            return std::nullopt;
        try {
            size_t used = 0;
            int n = std::stoi(line, &used);
            if (used == line.size() && n >= 1 && static_cast<size_t>(n) <= items.size())
                return n - 1;
        } catch (const std::exception&) { }
        return std::nullopt;
    };
    return a;
}

} // namespace tw::cli
