// documents.cpp - opening, saving and closing documents and books on behalf of the client: the
// host's model on one side, its document store (MIF files) on the other.
#include "host/com/host.h"
#include "host/com/host_impl.h"

namespace tw::host {

ObjectId Host::openFile(const std::string& path, bool untitledCopy, int32_t& status, std::string* error)
{
    std::string native = NativePath(path);
    Document* open = model_.documentByPath(native);
    if (open && !untitledCopy) {
        model_.activeDoc = open->id;
        return status = kStatusOk, open->id;
    }
    if (Book* b = model_.bookByPath(native)) {
        model_.activeBook = b->id;
        return status = kStatusOk, b->id;
    }
    std::unique_ptr<Document> doc;
    FileIdentity identity;
    if (open) {
        doc = model_.copyDocument(*open);
    } else if (!untitledCopy && (doc = cache_.take(native))) {
        identity = FileIdentity::Of(native); // the same as when it was read
    } else {
        if (!store_) {
            if (error)
                *error = "No document store to open " + path;
            return status = kFileNotFound, 0;
        }
        identity = FileIdentity::Of(native); // before reading: a change while reading is seen later
        LoadResult r = store_->load(model_, native);
        if (r.book) {
            r.book->path = native;
            return status = kStatusOk, model_.adoptBook(std::move(r.book)).id;
        }
        if (!r.doc) {
            if (error)
                *error = r.error.empty() ? "Could not open " + path : r.error;
            return status = r.missing ? kFileNotFound : kFileError, 0;
        }
        doc = std::move(r.doc);
        doc->id = 0;
        doc->path = native;
        if (untitledCopy) {
            doc->path.clear();
            doc->modified = false;
        }
    }
    Document& adopted = model_.adoptDocument(std::move(doc));
    if (!adopted.path.empty() && identity.valid)
        cache_.opened(adopted, native, identity);
    return status = kStatusOk, adopted.id;
}

int32_t Host::saveFile(ObjectId id, const std::string& path)
{
    std::string error;
    const int32_t status = storeFile(id, path, error);
    saves_.push_back(SaveRecord{path, id, status, error});
    return status;
}

int32_t Host::storeFile(ObjectId id, const std::string& path, std::string& error)
{
    std::string native = NativePath(path);
    if (Document* d = model_.document(id)) {
        if (!store_)
            return kFileError;
        cache_.forget(id); // saved: no longer kept when closed
        cache_.fileWritten(native);
        if (!store_->save(model_, *d, native, error)) {
            impl_->recordConsole(error + "\n");
            return kFileError;
        }
        d->path = native;
        d->modified = false;
        return kStatusOk;
    }
    if (Book* b = model_.book(id)) {
        if (!store_)
            return kFileError;
        cache_.fileWritten(native);
        if (!store_->save(model_, *b, native, error)) {
            impl_->recordConsole(error + "\n");
            return kFileError;
        }
        b->path = native;
        return kStatusOk;
    }
    return kBadDocId;
}

int32_t Host::closeFile(ObjectId id, bool evenIfModified)
{
    if (Document* d = model_.document(id)) {
        if (d->modified && !evenIfModified)
            return kDocModified;
        std::unique_ptr<Document> doc = model_.releaseDocument(id);
        cache_.closing(doc);
        return kStatusOk;
    }
    if (model_.book(id)) {
        model_.closeBook(id);
        return kStatusOk;
    }
    return kBadDocId;
}

} // namespace tw::host
