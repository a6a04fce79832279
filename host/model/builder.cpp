// builder.cpp - in-memory documents and books for tests.
#include "host/model/builder.h"

#include "host/model/properties.h"

namespace tw::host {

DocBuilder::DocBuilder(Model& m, const std::string& path) : m_(m), doc_(std::make_unique<Document>())
{
    doc_->path = path;
    AddColor(m_, *doc_, "Black");
    AddColor(m_, *doc_, "White");
    ObjectId body = AddPage(m_, *doc_, PageKind::Body);
    AddPage(m_, *doc_, PageKind::Master, "Right");
    AddPage(m_, *doc_, PageKind::Reference, "Reference");
    ObjectId flow = AddFlow(m_, *doc_, "A", true);
    mainFrame_ = frame_ = AddFrame(m_, *doc_, flow, body);
}

DocBuilder& DocBuilder::format(const std::string& name, const PgfProps& changes)
{
    PgfProps props = DefaultParagraphProps();
    for (const auto& [k, v] : changes)
        props[k] = v;
    AddFormat(m_, *doc_, name, props);
    return *this;
}

ObjectId DocBuilder::addParagraph(PgfHome home, ObjectId container, const std::string& tag, const std::string& text,
                                  const PgfProps& changes)
{
    ObjectId id = AddParagraph(m_, *doc_, home, container, tag, text);
    Paragraph* p = doc_->paragraph(id);
    for (const auto& [k, v] : changes)
        p->props[k] = v;
    p->ownProps = !changes.empty();
    p->overridden = DiffersFromFormat(*doc_, *p);
    return id;
}

DocBuilder& DocBuilder::paragraph(const std::string& tag, const std::string& text, const PgfProps& changes)
{
    lastParagraph_ = addParagraph(PgfHome::Frame, frame_, tag, text, changes);
    return *this;
}

DocBuilder& DocBuilder::locked()
{
    if (Paragraph* p = doc_->paragraph(lastParagraph_))
        p->leaveUnchanged = 1;
    return *this;
}

DocBuilder& DocBuilder::flow(const std::string& tag, PageKind on)
{
    const auto& pages = on == PageKind::Body     ? doc_->bodyPages
                        : on == PageKind::Master ? doc_->masterPages
                                                 : doc_->referencePages;
    ObjectId flow = AddFlow(m_, *doc_, tag, false);
    frame_ = AddFrame(m_, *doc_, flow, pages.front());
    return *this;
}

DocBuilder& DocBuilder::mainFlow()
{
    frame_ = mainFrame_;
    return *this;
}

DocBuilder& DocBuilder::table(const std::vector<std::vector<std::string>>& rows, int32_t headingRows,
                              const std::string& cellTag, const std::vector<std::string>& titles,
                              const std::string& titleTag, const std::string& format)
{
    if (!lastParagraph_)
        paragraph(doc_->formatByName("Body") ? "Body" : cellTag);
    int32_t columns = 0;
    for (const auto& r : rows)
        columns = std::max(columns, static_cast<int32_t>(r.size()));
    int32_t total = static_cast<int32_t>(rows.size());
    int32_t heading = std::min(headingRows, total);
    const Paragraph* anchor = doc_->paragraph(lastParagraph_);
    lastTable_ =
        AddTable(m_, *doc_, format, columns, heading, total - heading, 0, lastParagraph_, CharCount(anchor->text));
    Table* t = doc_->table(lastTable_);
    for (size_t r = 0; r < rows.size(); r++) {
        Row* row = doc_->row(t->rows[r]);
        for (size_t c = 0; c < row->cells.size(); c++) {
            Paragraph* p = doc_->paragraph(doc_->cell(row->cells[c])->paragraphs.front());
            p->tag = cellTag;
            const PgfFormat* f = doc_->formatByName(cellTag);
            p->props = f ? f->props : DefaultParagraphProps();
            p->text = c < rows[r].size() ? rows[r][c] : "";
        }
    }
    for (const auto& title : titles)
        addParagraph(PgfHome::TableTitle, lastTable_, titleTag, title, {});
    return *this;
}

DocBuilder& DocBuilder::cellParagraph(size_t row, size_t column, const std::string& tag, const std::string& text,
                                      const PgfProps& changes)
{
    Table* t = doc_->table(lastTable_);
    if (t && row < t->rows.size()) {
        Row* r = doc_->row(t->rows[row]);
        if (column < r->cells.size())
            addParagraph(PgfHome::Cell, r->cells[column], tag, text, changes);
    }
    return *this;
}

DocBuilder& DocBuilder::footnote(const std::vector<std::pair<std::string, std::string>>& tagsAndTexts)
{
    ObjectId holder = AddTextHolder(m_, *doc_, lastParagraph_);
    if (Paragraph* anchor = doc_->paragraph(lastParagraph_)) {
        InlineItem item;
        item.offset = CharCount(anchor->text);
        item.kind = InlineItem::FootnoteAnchor;
        item.object = holder;
        anchor->items.push_back(item);
    }
    for (const auto& [tag, text] : tagsAndTexts)
        addParagraph(PgfHome::TextHolder, holder, tag, text, {});
    return *this;
}

DocBuilder& DocBuilder::chainEntry()
{
    ObjectId holder = AddTextHolder(m_, *doc_, 0);
    doc_->holder(holder)->entry = lastParagraph_;
    return *this;
}

std::unique_ptr<Document> DocBuilder::build() { return std::move(doc_); }

BookBuilder::BookBuilder(Model& m, const std::string& path) : m_(m), book_(std::make_unique<Book>())
{
    book_->path = path;
}

ObjectId BookBuilder::add(int32_t kind, const std::string& path)
{
    ObjectId id = m_.newId();
    BookComponent& c = book_->components[id];
    c.id = id;
    c.kind = kind;
    c.path = path;
    c.parent = open_.empty() ? 0 : open_.back();
    if (open_.empty())
        book_->top.push_back(id);
    else
        book_->component(open_.back())->children.push_back(id);
    return id;
}

BookBuilder& BookBuilder::file(const std::string& path)
{
    add(kComponentFile, path);
    return *this;
}

BookBuilder& BookBuilder::component(int32_t kind, const std::string& name)
{
    add(kind, name);
    return *this;
}

BookBuilder& BookBuilder::group(const std::string& name, int32_t kind)
{
    open_.push_back(add(kind, name));
    return *this;
}

BookBuilder& BookBuilder::end()
{
    if (!open_.empty())
        open_.pop_back();
    return *this;
}

std::unique_ptr<Book> BookBuilder::build() { return std::move(book_); }

} // namespace tw::host
