// mif_fuzz.cpp - the MIF reader and writer on arbitrary bytes: a file is either refused with
// an error naming it, or read; what is read saves back byte for byte, and after changes to
// its catalogue and text it still saves as MIF that reads again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/mif/book.h"
#include "host/mif/document.h"
#include "host/files/mif_store.h"
#include "host/model/model.h"
#include "host/model/properties.h"

using namespace tw::host;

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail)
{
    fprintf(stderr, "mif_fuzz: %s\n%s\n", what, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto src = std::make_shared<MifSource>();
    MifError error;
    if (!ParseMif(bytes, "fuzz.mif", *src, error)) {
        if (error.text().rfind("fuzz.mif", 0) != 0)
            Broken("an error that does not name the file", error.text());
        return 0;
    }
    Model m;
    if (src->kind == MifFileKind::Book) {
        auto book = ReadMifBook(m, src, "/fuzz/book.mif");
        if (MifBookBytes(*book) != bytes)
            Broken("a book that does not save back unchanged", bytes);
        return 0;
    }
    auto doc = ReadMifDocument(m, src, "fuzz.mif");
    if (MifDocumentBytes(*doc) != bytes)
        Broken("a document that does not save back unchanged", bytes);

    // Changes as the commands make them: a format renamed and given a property, a format
    // deleted, a new format, paragraphs retagged and typed into.
    if (!doc->catalogue.empty()) {
        PgfFormat* first = doc->format(doc->catalogue.front());
        first->name += "X";
        first->props[553] = 0x20000;
        if (doc->catalogue.size() > 1)
            DeleteFormat(*doc, doc->catalogue.back());
    }
    AddFormat(m, *doc, "Fuzzed", DefaultParagraphProps());
    int n = 0;
    for (auto& [id, p] : doc->paragraphs) {
        if (n++ % 2 == 0)
            p.tag = "Fuzzed";
        else
            InsertText(m, *doc, {id, 0}, "new ");
    }
    std::string changed = MifDocumentBytes(*doc);
    MifSource again;
    if (!ParseMif(changed, "changed.mif", again, error))
        Broken("a changed document saved as broken MIF", error.text() + "\n" + changed);
    return 0;
}
