// session.cpp - a client library loaded and driven as the host does it: dlopen (LoadLibrary on
// Windows), the entry,
// the sink's methods, and the host-side view of what each command produced.
#include "host/com/session.h"

#include "host/files/install_layout.h"

#include "host/files/posix_io.h"

#include <algorithm>

namespace tw::host {

#if defined(_WIN32) && !defined(_WIN64)
// The entry as a 32-bit Windows library exports it: standard call, decorated name.
constexpr const char* kEntryName = "_F_ApiClientInit@16";
#else // 64-bit Windows has one calling convention and no decoration
constexpr const char* kEntryName = TW_CLIENT_INIT_SYMBOL;
#endif

Session::Session(MemoryMode mode) : host_(mode) { }

Session::~Session() { unload(); }

std::string Session::DefaultPluginPath()
{
#ifdef TAGWRIGHT_INSTALLED_PLUGIN
    if (std::string installed = InstalledPath(TAGWRIGHT_INSTALLED_PLUGIN); !installed.empty())
        return installed;
#endif
#ifdef TAGWRIGHT_PLUGIN_PATH
    return TAGWRIGHT_PLUGIN_PATH;
#else
    return "libTagwright.so";
#endif
}

bool Session::load(std::string& error, const std::string& library, int32_t initType)
{
    if (library_) {
        error = "a client library is already loaded";
        return false;
    }
    std::string why;
    void* handle = io::LoadClientLibrary(library, why);
    if (!handle) {
        error = "Could not load " + library + ": " + why;
        return false;
    }
    auto entry = reinterpret_cast<ClientInitFn>(io::ClientSymbol(handle, kEntryName));
    if (!entry) {
        error = library + " has no entry point " + kEntryName;
        io::UnloadClientLibrary(handle);
        return false;
    }
    library_ = handle;
    entryResult_ = entry(handle, host_.hostObject(), nullptr, nullptr);
    if (entryResult_ != 0 || !host_.sink()) {
        error = library + ": the client did not connect (entry result " + std::to_string(entryResult_) + ")";
        unload();
        return false;
    }
    initialize(initType);
    return true;
}

void Session::unload()
{
    if (notify_) {
        TwSlotRelease(notify_)(notify_);
        notify_ = nullptr;
    }
    host_.releaseSink();
    if (library_) {
        io::UnloadClientLibrary(library_);
        library_ = nullptr;
    }
}

TwComObject* Session::notifications()
{
    if (!notify_ && host_.sink()) {
        TwComObject* sink = host_.sink();
        void* out = nullptr;
        if (TwSlotQueryInterface(sink)(sink, &IID_FrameMakerNotifications0, &out) == TW_S_OK)
            notify_ = static_cast<TwComObject*>(out);
    }
    return notify_;
}

ObjectId Session::open(const std::string& path, std::string* error)
{
    int32_t status = 0;
    std::string why;
    ObjectId id = host_.openFile(path, false, status, &why);
    if (!id && error)
        *error = why.empty() ? "Could not open " + path : why;
    return id;
}

ObjectId Session::add(const Document& doc)
{
    auto copy = std::make_unique<Document>(doc);
    copy->id = 0;
    return model().adoptDocument(std::move(copy)).id;
}

ObjectId Session::add(const Book& book)
{
    auto copy = std::make_unique<Book>(book);
    copy->id = 0;
    return model().adoptBook(std::move(copy)).id;
}

void Session::activate(ObjectId id)
{
    if (id == 0) {
        model().activeDoc = 0;
        model().activeBook = 0;
    } else if (model().document(id)) {
        model().activeDoc = id;
    } else if (model().book(id)) {
        model().activeBook = id;
    }
}

void Session::beforeCommand()
{
    before_.clear();
    for (const auto& [id, doc] : model().documents)
        before_.push_back(id);
    outputs_.clear();
}

void Session::afterCommand()
{
    for (ObjectId id : model().openDocs) {
        Document* d = model().document(id);
        if (d && d->path.empty() && std::find(before_.begin(), before_.end(), id) == before_.end())
            outputs_.push_back(id);
    }
}

TwResult Session::initialize(int32_t initType)
{
    TwComObject* n = notifications();
    if (!n)
        return TW_E_FAIL;
    return NotifySlotInitialize(n)(n, initType);
}

TwResult Session::command(int32_t number)
{
    TwComObject* n = notifications();
    if (!n)
        return TW_E_FAIL;
    beforeCommand();
    TwResult r = NotifySlotCommand(n)(n, number);
    afterCommand();
    return r;
}

TwResult Session::notify(int32_t notification, ObjectId doc, const std::string& text, int32_t value)
{
    TwComObject* n = notifications();
    if (!n)
        return TW_E_FAIL;
    std::string bytes = host_.toClient(text);
    beforeCommand();
    TwResult r = NotifySlotNotify(n)(n, notification, doc, bytes.c_str(), value);
    afterCommand();
    return r;
}

TwResult Session::message(const std::string& text) { return notify(NOTIFY_MESSAGE, 0, text, 0); }

std::vector<ParagraphText> Session::paragraphs(ObjectId docId)
{
    std::vector<ParagraphText> out;
    Document* d = model().document(docId);
    if (!d)
        return out;
    for (ObjectId p = d->firstParagraphOfFlow(d->mainFlow); p; p = d->nextParagraph(p)) {
        const Paragraph* para = d->paragraph(p);
        out.push_back(ParagraphText{para->tag, para->text});
    }
    return out;
}

std::vector<std::vector<std::string>> Session::tableTexts(ObjectId docId, ObjectId tableId)
{
    std::vector<std::vector<std::string>> out;
    Document* d = model().document(docId);
    Table* t = d ? d->table(tableId) : nullptr;
    if (!t)
        return out;
    for (ObjectId r : t->rows) {
        std::vector<std::string> texts;
        for (ObjectId c : d->row(r)->cells) {
            const Cell* cell = d->cell(c);
            const Paragraph* p = cell->paragraphs.empty() ? nullptr : d->paragraph(cell->paragraphs.front());
            texts.push_back(p ? p->text : "");
        }
        out.push_back(std::move(texts));
    }
    return out;
}

} // namespace tw::host
