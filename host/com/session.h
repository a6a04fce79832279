// session.h - loading a client library and driving it as the publishing host does: the entry
// point, "Initialize", commands, messages, scripted answers, and reading back what the client
// did (console and status lines, alerts, the documents a command created and their text).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/com/host.h"

namespace tw::host {

struct ParagraphText {
    std::string tag;  // UTF-8
    std::string text; // UTF-8
    bool operator==(const ParagraphText&) const = default;
};

class Session {
public:
    explicit Session(MemoryMode mode = MemoryMode::Shared);
    ~Session(); // shuts the client down and unloads it
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Host& host() { return host_; }
    Model& model() { return host_.model(); }
    void setStore(DocumentStore* store) { host_.setStore(store); }

    // Loads the library (default: the built plug-in), calls F_ApiClientInit with the module
    // handle and the host object, then "Initialize" with `initType`. False with `error` set
    // when the library, its entry or the connection fails.
    bool load(std::string& error, const std::string& library = DefaultPluginPath(), int32_t initType = 1);
    bool loaded() const { return library_ != nullptr; }
    int32_t entryResult() const { return entryResult_; }
    // Releases the host's reference to the client's sink (the client shuts down), then
    // unloads the library. Called by the destructor when still loaded.
    void unload();
    static std::string DefaultPluginPath();

    // ---- what the user has open ----
    ObjectId open(const std::string& path, std::string* error = nullptr); // document or book; 0 on failure
    ObjectId add(const Document& doc); // an in-memory document, opened and made active
    ObjectId add(const Book& book);
    void activate(ObjectId docOrBook); // document -> 51, book -> 52; 0 clears both
    void setInstallDir(const std::string& dir) { model().installDir = dir; }

    // ---- scripted answers (see Host) ----
    void answerAlert(int32_t answer) { host_.queueAlertAnswer(answer); }
    void chooseFromList(int32_t index) { host_.queueListChoice(index); }
    void chooseFromList(const std::string& item) { host_.queueListChoice(item); }

    // ---- driving the client (each returns the sink method's result) ----
    TwResult initialize(int32_t initType);
    TwResult command(int32_t number);
    TwResult message(const std::string& text); // "Notify" 13 with the text (in the client's encoding)
    TwResult notify(int32_t notification, ObjectId doc, const std::string& text, int32_t value);

    // ---- reading back ----
    std::vector<std::string> consoleLines() const { return host_.consoleLines(); }
    const std::vector<std::string>& statusLines() const { return host_.statusLines(); }
    const std::vector<AlertRecord>& alerts() const { return host_.alerts(); }
    // Untitled documents that appeared during the last command and are still open (the
    // command's output documents), in creation order.
    std::vector<ObjectId> outputDocuments() const { return outputs_; }
    // Paragraphs of a document's main flow, in order.
    std::vector<ParagraphText> paragraphs(ObjectId doc);
    // Texts of every cell of a table, row by row (first paragraph of each cell).
    std::vector<std::vector<std::string>> tableTexts(ObjectId doc, ObjectId table);

private:
    TwComObject* notifications(); // the sink's notification interface
    void beforeCommand();
    void afterCommand();

    Host host_;
    void* library_ = nullptr;
    int32_t entryResult_ = -1;
    TwComObject* notify_ = nullptr;
    std::vector<ObjectId> before_;
    std::vector<ObjectId> outputs_;
};

} // namespace tw::host
