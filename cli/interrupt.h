// interrupt.h - what Ctrl-C (SIGINT) and SIGTERM do to a run. In a run that changes files, the
// first asks the run to stop where every file is whole: the file being saved is finished, no further file is opened or
// saved, and the tool says which files were saved and which were not (exit 130 or 143). A
// second one ends the process at once, after removing the temporary file of the save in
// progress, so that even then no file is left half-written. A run that only reads ends at the
// first. On Windows a console control
// handler does the same for Ctrl-C and Ctrl-Break, except that after a second one the next
// run removes the temporary file.
#pragma once

#include <functional>
#include <string>

#include "host/files/file_save.h"
#include "host/files/store.h"

namespace tw::cli {

// Installs the handlers; call once, before anything is opened.
void CatchInterruptions();

// Whether this run changes files. Only then does a first signal wait for a point where every
// file is whole; a run that only reads ends at once (removing an output it was writing).
void SetChangingFiles(bool changing);

// The signal that asked this run to stop (SIGINT or SIGTERM), or 0.
int Interruption();

// The exit status of a run that a signal stopped: 128 + its number (130, 143).
inline int InterruptedExit(int signal) { return 128 + signal; }

// "SIGINT", "SIGTERM".
const char* SignalName(int signal);

// Tests of interruptions: with TAGWRIGHT_TEST_SAVE_PAUSE_MS=N in the environment, every save
// (and every backup) waits N milliseconds once its new content is written and flushed, just
// before it replaces the file (signals do not cut the wait short). Nothing else changes. Empty
// without it.
std::function<bool(host::SaveStage)> SavePauseFromEnvironment();

// The store beneath the tool's: once the run was asked to stop, it opens and saves no more
// files (each refusal says so and names the file).
class InterruptibleStore : public host::DocumentStore {
public:
    explicit InterruptibleStore(host::DocumentStore& files) : files_(files) { }

    [[nodiscard]] host::LoadResult load(host::Model& m, const std::string& path) override;
    [[nodiscard]] bool save(const host::Model& m, const host::Document& doc, const std::string& path,
                            std::string& error) override;
    [[nodiscard]] bool save(const host::Model& m, const host::Book& book, const std::string& path,
                            std::string& error) override;

private:
    host::DocumentStore& files_;
};

// What an open or save refused because the run was interrupted says.
std::string InterruptionRefusal(const std::string& path);

// Whether `error` is the refusal of a save or open because the run was asked to stop.
bool IsInterruptionRefusal(const std::string& error);

} // namespace tw::cli
