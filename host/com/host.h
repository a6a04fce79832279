// host.h - the host API object a client library talks to: the COM-style host object with
// the slot table, the further and connection interfaces, the client registration, scripted
// user answers, and the records of what the client showed (alerts, console, status lines).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bridge/boundary.h"
#include "host/model/model.h"
#include "host/files/doc_cache.h"
#include "host/files/store.h"

namespace tw::host {

// Buffers the host returns: kept by the host (shared memory) or handed over for the client
// to release with task-memory free.
enum class MemoryMode { Shared, TaskMemory };

// The host's own status codes (nonzero = failure).
enum HostStatus : int32_t {
    kStatusOk = 0,
    kBadDocId = -2,
    kBadObjId = -3,
    kBadPropNum = -4,
    kBadPropType = -5,
    kReadOnly = -6,
    kBadParameter = -7,
    kNameNotFound = -8,
    kNameClash = -9,
    kFileNotFound = -10,
    kFileError = -11,
    kDocModified = -12,
    kCancelled = -13,
    kBadOperation = -14,
    kNoConverter = -15,
};

struct AlertRecord {
    std::string text; // UTF-8
    int32_t kind = 0;
    int32_t answer = 0;
};

struct ListChoiceRecord {
    std::string title; // UTF-8
    std::vector<std::string> items;
    int32_t defaultIndex = -1;
    int32_t chosen = -1; // -1: cancelled
};

struct OpenRecord {
    std::string path; // as asked (UTF-8)
    ObjectId result = 0;
    int32_t status = 0;
    std::string error; // why it failed (names the file)
};

struct SaveRecord {
    std::string path; // as asked (UTF-8)
    ObjectId object = 0;
    int32_t status = 0;
    std::string error; // why it failed (names the file)
};

class Host {
public:
    explicit Host(MemoryMode mode = MemoryMode::Shared);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    Model& model() { return model_; }
    const Model& model() const { return model_; }
    MemoryMode memoryMode() const { return mode_; }

    // Files: the store is not owned and must outlive the host; without one every open fails.
    void setStore(DocumentStore* store) { store_ = store; }
    DocumentStore* store() const { return store_; }
    // Opens a document or book file (or returns the one already open); untitledCopy gives a
    // new untitled copy instead. 0, a status and (when asked) the reason on failure. A failed
    // open shows nothing on the console (the client decides what to tell the user).
    ObjectId openFile(const std::string& path, bool untitledCopy, int32_t& status, std::string* error = nullptr);
    // Saves under `path` (the document takes that name); a failed save leaves a console line
    // naming the file. Every save is recorded (saves()).
    [[nodiscard]] int32_t saveFile(ObjectId docOrBook, const std::string& path); // status
    int32_t closeFile(ObjectId docOrBook, bool evenIfModified);                  // status
    // Documents closed unchanged, answered from memory when their file is opened again unchanged.
    DocumentCache& cache() { return cache_; }

    // ---- the COM side ----
    TwComObject* hostObject(); // what F_ApiClientInit receives; also the host API interface
    TwComObject* sink() const { return sink_; }
    const std::vector<std::pair<int32_t, std::string>>& clientDescription() const { return description_; }
    bool registered() const { return registered_; }
    void* connectedModule() const { return module_; } // what the second connection interface got
    // Releases the registered sink (the host's reference); the client shuts down.
    void releaseSink();
    // References the client holds on host interfaces beyond the host's own.
    int32_t outstandingReferences() const;
    // Makes the next `times` calls of `slot` fail with `code` (a COM result, e.g. busy).
    void failSlot(int32_t slot, TwResult code, int32_t times = 1);
    // Number of calls per slot so far.
    int32_t callCount(int32_t slot) const;
    // Makes the `nth` API call from now (any slot; 1 = the next) fail with `code`, e.g. a
    // failure or busy; with TW_S_OK the call does nothing and writes nothing back (the
    // client's status stays as it set it, its answers empty). nth 0 cancels. Calls made so
    // far, over all slots:
    void failCall(int64_t nth, TwResult code);
    int64_t totalCalls() const;

    // ---- scripted user ----
    // Answers for question alerts (kind 1), in order; 0 = OK, anything else = Cancel. With
    // the queue empty a question is answered `defaultQuestionAnswer` (Cancel unless changed).
    // Notes and warnings are acknowledged with 0 and take no answer from the queue.
    void queueAlertAnswer(int32_t answer) { alertAnswers_.push_back(answer); }
    int32_t defaultQuestionAnswer = -1;
    // List choices, in order: an index from 0, an item text, or -1 to cancel. Empty queue: cancel.
    void queueListChoice(int32_t index) { listChoices_.push_back(index); }
    void queueListChoice(const std::string& item) { listChoices_.push_back(item); }
    size_t pendingAnswers() const { return alertAnswers_.size() + listChoices_.size(); }
    // Asked when the queues are empty (an interactive user): a question's text gives 0 for OK
    // or anything else for Cancel; a list dialog gives the chosen index or -1.
    std::function<int32_t(const std::string& question)> askQuestion;
    std::function<int32_t(const std::string& title, const std::vector<std::string>& items)> askChoice;

    // ---- what the client showed ----
    const std::vector<AlertRecord>& alerts() const { return alerts_; }
    const std::vector<ListChoiceRecord>& listDialogs() const { return dialogs_; }
    // Console text split into lines (the last one may be unfinished), UTF-8.
    std::vector<std::string> consoleLines() const;
    const std::string& consoleText() const { return console_; }
    // Every value the client set as a book's status line, in order.
    const std::vector<std::string>& statusLines() const { return statusLines_; }
    const std::vector<int32_t>& notificationsRequested() const { return notifications_; }
    const std::vector<OpenRecord>& opens() const { return opens_; }
    // Every save, by the client or by whoever drives the host, with its status.
    const std::vector<SaveRecord>& saves() const { return saves_; }
    // Optional live echo of console text and status lines (the CLI's --verbose).
    std::function<void(const std::string&)> echoConsole;
    std::function<void(const std::string&)> echoStatus;

    // ---- text at the boundary ----
    // UTF-8 <-> the client's encoding (FrameRoman). Characters FrameRoman lacks become its
    // substitution character.
    std::string toClient(const std::string& utf8);
    std::string fromClient(const char* text);
    bool converterReady(); // the FrameRoman converter could be opened

    // ---- for the slot functions (host.cpp) ----
    struct Impl;
    Impl& impl() { return *impl_; }

private:
    friend struct Impl;
    int32_t storeFile(ObjectId docOrBook, const std::string& path, std::string& error); // saveFile's work
    Model model_;
    MemoryMode mode_;
    DocumentStore* store_ = nullptr;
    DocumentCache cache_;
    std::unique_ptr<Impl> impl_;

    TwComObject* sink_ = nullptr;
    bool registered_ = false;
    void* module_ = nullptr;
    std::vector<std::pair<int32_t, std::string>> description_;

    std::deque<int32_t> alertAnswers_;
    std::deque<std::variant<int32_t, std::string>> listChoices_;
    std::vector<AlertRecord> alerts_;
    std::vector<ListChoiceRecord> dialogs_;
    std::string console_;
    std::vector<std::string> statusLines_;
    std::vector<int32_t> notifications_;
    std::vector<OpenRecord> opens_;
    std::vector<SaveRecord> saves_;
};

// Where the host's installation directory (property 89) points unless changed: the build's
// host directory with icu_data and the optional output template.
std::string DefaultInstallDir();

} // namespace tw::host
