// model.h - the stand-in host's object model: the application, documents and books with
// everything they own (formats, paragraphs, flows, frames, pages, tables, footnotes, colours),
// and the application's menus. Plain data plus the editing operations the host API needs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bridge/boundary.h"
#include "host/model/pgf_props.h"

namespace tw::host {

struct MifSource; // the statement tree a document or book was read from (host/mif_*)

// The paragraph property values and sets (TabStop, PropValue, PgfProps) are pgf_props.h's.

// ---- object kinds ---------------------------------------------------------------------

enum class ObjKind : uint8_t {
    None,
    Application,
    Document,
    Book,
    BookComponent,
    PgfFormat,
    Paragraph,
    Flow,
    TextFrame,
    Page,
    Table,
    Row,
    Cell,
    Color,
    TextHolder, // a member of the chain of further text holders (footnotes)
    Menu,       // menus and menu bars
    Command,
    Separator,
};

// Book component kinds (property 2329).
enum ComponentKind : int32_t { kComponentGroup = 2, kComponentFolder = 64, kComponentFile = 512 };

// ---- document contents ----------------------------------------------------------------

struct PgfFormat {
    ObjectId id = 0;
    std::string name; // UTF-8
    PgfProps props;
    int32_t mifNode = -1;
};

// Something inside a paragraph's text that is not plain characters: an anchor (table,
// footnote, frame, marker, cross-reference, variable) or a character-format change. Each
// starts a new text run. `object` names the model object it anchors (0 when none).
struct InlineItem {
    enum Kind : uint8_t { FontChange, Marker, AnchoredFrame, TableAnchor, FootnoteAnchor, XRef, Variable, Other };
    int32_t offset = 0; // in characters from the paragraph start
    Kind kind = Other;
    ObjectId object = 0;
    int32_t mifNode = -1;
};

// Where a paragraph lives.
enum class PgfHome : uint8_t { None, Frame, Cell, TableTitle, TextHolder };

struct Paragraph {
    ObjectId id = 0;
    std::string tag; // UTF-8
    PgfProps props;
    std::string text;              // UTF-8, without the end mark
    std::vector<InlineItem> items; // ordered by offset
    bool overridden = false;       // 590: differs from the format of its tag
    bool ownProps = false;         // carries property statements of its own (its <Pgf>, or a builder's changes)
    int32_t leaveUnchanged = 0;    // 588: nonzero keeps format lists from being applied
    PgfHome home = PgfHome::None;
    ObjectId container = 0; // frame, cell, table (title) or text holder
    int32_t mifNode = -1;
};

struct Flow {
    ObjectId id = 0;
    std::string tag; // "A" for the main flow of a new document
    bool autoConnect = true;
    std::vector<ObjectId> frames; // text frames in flow order
    int32_t mifNode = -1;
};

struct TextFrame {
    ObjectId id = 0;
    ObjectId flow = 0;
    ObjectId page = 0;
    std::vector<ObjectId> paragraphs;
    int32_t mifNode = -1;
};

enum class PageKind : uint8_t { Body, Master, Reference };

struct Page {
    ObjectId id = 0;
    PageKind kind = PageKind::Body;
    std::string name; // master/reference page name; empty for body pages
    std::vector<ObjectId> frames;
    int32_t mifNode = -1;
};

enum class RowKind : uint8_t { Heading, Body, Footing };

struct Cell {
    ObjectId id = 0;
    ObjectId row = 0;
    int32_t column = 0;
    std::vector<ObjectId> paragraphs;
    int32_t mifNode = -1;
};

struct Row {
    ObjectId id = 0;
    ObjectId table = 0;
    RowKind kind = RowKind::Body;
    std::vector<ObjectId> cells;
    int32_t mifNode = -1;
};

struct Table {
    ObjectId id = 0;
    std::string format; // table format name, e.g. "Format A"
    int32_t columns = 0;
    std::vector<int32_t> columnWidths; // metric, one per column
    int32_t setting1289 = 1;
    std::vector<ObjectId> rows;  // heading rows, then body rows, then footing rows
    std::vector<ObjectId> title; // title paragraphs
    ObjectId anchor = 0;         // paragraph holding the anchor (0 when none)
    int32_t mifId = 0;           // <TblID> in MIF
    int32_t mifNode = -1;
};

struct TextHolder {
    ObjectId id = 0;
    std::vector<ObjectId> paragraphs;
    ObjectId anchor = 0; // paragraph holding the anchor
    // A member with no paragraphs of its own that enters a flow's text at this paragraph, as a
    // real host's chain can reach paragraphs of the flows too; 0 for a footnote.
    ObjectId entry = 0;
    int32_t mifNode = -1;
};

struct Color {
    ObjectId id = 0;
    std::string name;
    int32_t mifNode = -1;
};

// Page size, columns and margins (metric) of a document.
struct PageGeometry {
    int32_t width = 612 << 16, height = 792 << 16;
    int32_t columns = 1, columnGap = 18 << 16;
    int32_t top = 72 << 16, bottom = 72 << 16, inside = 72 << 16, outside = 72 << 16;
    int32_t sidedness = 0; // 0 single-sided
};

struct Document {
    ObjectId id = 0;
    std::string path; // UTF-8, native or Windows form; empty for an untitled document
    bool visible = true;
    bool modified = false;
    PageGeometry geometry;
    int32_t redisplays = 0; // times the document was redisplayed (RedisplayDocument)

    std::vector<ObjectId> catalogue; // paragraph formats in catalogue order
    std::vector<ObjectId> flows;     // in document order
    ObjectId mainFlow = 0;
    std::vector<ObjectId> tables;      // in document order
    std::vector<ObjectId> textHolders; // the chain 119/1003
    std::vector<ObjectId> bodyPages, masterPages, referencePages;
    std::vector<ObjectId> colors;

    std::map<ObjectId, PgfFormat> formats;
    std::map<ObjectId, Paragraph> paragraphs;
    std::map<ObjectId, Flow> flowObjs;
    std::map<ObjectId, TextFrame> frames;
    std::map<ObjectId, Page> pages;
    std::map<ObjectId, Table> tableObjs;
    std::map<ObjectId, Row> rows;
    std::map<ObjectId, Cell> cells;
    std::map<ObjectId, TextHolder> holders;
    std::map<ObjectId, Color> colorObjs;

    TextRange selection{};           // 109
    ObjectId currentPage = 0;        // 236
    int32_t docMode = 0;             // 155
    int32_t displayUnits = 0x480000; // 390: inches
    int32_t fontSizeUnits = 0x10000; // 396: points

    std::shared_ptr<MifSource> mif;
    int32_t mifNode = -1;

    ObjKind kindOf(ObjectId object) const;

    // Where nextParagraph found its last paragraph; a hint only, checked before use.
    mutable const std::vector<ObjectId>* walkList_ = nullptr;
    mutable size_t walkIndex_ = 0;

    // Lookups: null when the document has no such object of that kind.
    PgfFormat* format(ObjectId id);
    const PgfFormat* format(ObjectId id) const;
    PgfFormat* formatByName(const std::string& name);
    Paragraph* paragraph(ObjectId id);
    const Paragraph* paragraph(ObjectId id) const;
    Flow* flow(ObjectId id);
    TextFrame* frame(ObjectId id);
    Page* page(ObjectId id);
    Table* table(ObjectId id);
    Row* row(ObjectId id);
    Cell* cell(ObjectId id);
    TextHolder* holder(ObjectId id);
    Color* color(ObjectId id);
    Color* colorByName(const std::string& name);

    // The ordered paragraph list that holds `p` (frame, cell, title or text holder).
    std::vector<ObjectId>* paragraphList(const Paragraph& p);
    // Next paragraph in the same flow (across frames), cell, title or text holder; 0 at the end.
    ObjectId nextParagraph(ObjectId p) const;
    ObjectId firstParagraphOfFlow(ObjectId flow) const;
    ObjectId lastParagraphOfFlow(ObjectId flow) const;
    ObjectId tableOf(ObjectId paragraph) const; // table whose cell or title holds it
    ObjectId pageOf(ObjectId paragraph) const;  // page showing it (via frame, anchor, ...)
};

// ---- books ----------------------------------------------------------------------------

struct BookComponent {
    ObjectId id = 0;
    int32_t kind = kComponentFile; // 2329
    std::string path;              // 20: file path (files) or the group/folder's name
    ObjectId parent = 0;           // 0 at the top level
    std::vector<ObjectId> children;
    int32_t mifNode = -1;
};

struct Book {
    ObjectId id = 0;
    std::string path;
    std::vector<ObjectId> top; // top-level components in order
    std::map<ObjectId, BookComponent> components;
    std::string statusLine; // 108
    std::shared_ptr<MifSource> mif;
    int32_t mifNode = -1;

    BookComponent* component(ObjectId id);
    const BookComponent* component(ObjectId id) const;
    const std::vector<ObjectId>& siblingsOf(const BookComponent& c) const;
    ObjectId nextComponent(ObjectId id) const; // 527
    // The paths of its document files, depth-first, folders and groups opened in place: the
    // order the book walk visits them.
    std::vector<std::string> documentPaths() const;
};

// ---- menus ----------------------------------------------------------------------------

struct MenuItem {
    ObjectId id = 0;
    ObjKind kind = ObjKind::Menu; // Menu, Command or Separator
    bool isBar = false;           // a menu bar ("!MakerMainMenu", ...)
    std::string name;             // the tag it was defined with
    std::string label;            // UTF-8
    int32_t command = 0;          // number handed to the client's "Command"
    std::string shortcut;
    std::vector<ObjectId> items; // menus and bars: the items in display order
    ObjectId lastMenu = 0;       // the menu it was most recently added to
};

// ---- the application ------------------------------------------------------------------

// The whole host state. Object 0 is the application itself; every other object has an id
// from one counter, so no object id ever equals a document's or book's id.
struct Model {
    Model();

    std::string installDir;                                                         // 89, UTF-8
    int32_t screenUpdating = 1;                                                     // 92
    ObjectId activeDoc = 0;                                                         // 51
    ObjectId activeBook = 0;                                                        // 52
    std::vector<std::string> fontFamilies, fontVariations, fontWeights, fontAngles; // 55-58

    std::vector<ObjectId> openDocs; // open order (53, 111)
    std::map<ObjectId, std::unique_ptr<Document>> documents;
    std::vector<ObjectId> openBooks;
    std::map<ObjectId, std::unique_ptr<Book>> books;
    std::map<ObjectId, MenuItem> menus; // menus, bars, commands, separators

    ObjectId newId() { return nextId_++; }
    void reserveIdsBelow(ObjectId id); // later newId() answers exceed id

    Document* document(ObjectId id);
    Book* book(ObjectId id);
    MenuItem* menuItem(ObjectId id);
    MenuItem* menuByName(const std::string& name, ObjKind kind);
    Document* documentByPath(const std::string& path);
    Book* bookByPath(const std::string& path);

    // Documents and books. adopt* gives the object its id (and fresh ids inside when it
    // has none) and puts it at the end of the open list; it becomes active.
    Document& adoptDocument(std::unique_ptr<Document> doc);
    Book& adoptBook(std::unique_ptr<Book> book);
    // An untitled document with the default catalogue, one main flow "A" with one frame on
    // one body page holding one empty "Body" paragraph (selected), a master page "Right" and
    // a reference page "Reference".
    Document& newCustomDocument(const PageGeometry& geometry);
    Document& newCustomDocument(int32_t width, int32_t height);  // default columns and margins
    std::unique_ptr<Document> copyDocument(const Document& doc); // untitled copy, not yet adopted
    void closeDocument(ObjectId id);
    // Closes a document and hands it over instead of destroying it (null when not open).
    std::unique_ptr<Document> releaseDocument(ObjectId id);
    void closeBook(ObjectId id);

    // Menus.
    MenuItem& defineMenu(const std::string& name, const std::string& label, bool isBar = false);
    MenuItem& defineCommand(int32_t number, const std::string& name, const std::string& label,
                            const std::string& shortcut);
    bool addToMenu(ObjectId menu, ObjectId item);
    // Places `item` before `before` in the menu `menuHint` (or the item's last menu); an item
    // placed before itself stays where it is. False when either is not in that menu.
    bool moveMenuItemBefore(ObjectId menuHint, ObjectId item, ObjectId before);
    ObjectId nextMenuItem(ObjectId menuHint, ObjectId item) const;

private:
    ObjectId nextId_ = 1;
};

// ---- building and editing inside a document --------------------------------------------

// Each returns the new object's id; `m` supplies ids.
ObjectId AddFormat(Model& m, Document& d, const std::string& name, const PgfProps& props);
ObjectId AddColor(Model& m, Document& d, const std::string& name);
// The publishing program's built-in colours (Black, White, Red, ...), which every document has.
void AddBuiltInColors(Model& m, Document& d);
ObjectId AddPage(Model& m, Document& d, PageKind kind, const std::string& name = {});
ObjectId AddFlow(Model& m, Document& d, const std::string& tag, bool main);
ObjectId AddFrame(Model& m, Document& d, ObjectId flow, ObjectId page);
// A paragraph at index `at` (or the end) of the given home's list, with a format's
// properties (or the default properties when no format of that tag exists).
ObjectId AddParagraph(Model& m, Document& d, PgfHome home, ObjectId container, const std::string& tag,
                      const std::string& text = {}, std::optional<size_t> at = std::nullopt);
ObjectId AddTextHolder(Model& m, Document& d, ObjectId anchorParagraph);
// A table with rows of cells, each cell holding one empty paragraph ("CellHeading" in heading
// rows, "CellBody" elsewhere), anchored at the given paragraph offset (anchor 0: none).
ObjectId AddTable(Model& m, Document& d, const std::string& format, int32_t columns, int32_t headingRows,
                  int32_t bodyRows, int32_t footingRows, ObjectId anchorParagraph, int32_t anchorOffset);

// Whether a paragraph's properties differ from its format's; without a format, whether it
// carries properties of its own.
bool DiffersFromFormat(const Document& d, const Paragraph& p);

// Text offsets count characters (code points); TW_END_OF_OBJECT / TW_END_OF_TEXT stand for
// the end of the paragraph.
int32_t CharCount(const std::string& utf8);
size_t ByteIndex(const std::string& utf8, int32_t charOffset); // clamps to the end

// Inserts UTF-8 text into a paragraph at a character offset; "\n" ends the paragraph there
// and starts a new one after it with the same tag and properties. Returns the location
// just after the inserted text; {0, 0} when the location names no paragraph.
TextLoc InsertText(Model& m, Document& d, TextLoc at, const std::string& utf8);

// The string runs of a paragraph range [begin, end) as (offset, UTF-8 text) pairs; runs
// break at inline items. Ranges across paragraphs follow the flow order.
std::vector<std::pair<int32_t, std::string>> TextRuns(const Document& d, const TextRange& range);

// Removes a paragraph format from the catalogue (paragraphs keep their tags).
bool DeleteFormat(Document& d, ObjectId format);

} // namespace tw::host
