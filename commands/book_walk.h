/* book_walk.h - visiting every document file of a book, one at a time: the walk order over
 * the book's component tree, opening each file, the status line on the book window, and
 * letting each file go again (closed, or saved under its own name and closed). */
#ifndef TAGWRIGHT_COMMANDS_BOOK_WALK_H
#define TAGWRIGHT_COMMANDS_BOOK_WALK_H

#include "bridge/boundary.h"

/* Status-line prefixes shown before the file name while a walk runs. */
#define BOOK_PREFIX_EXAMINING "Examining: "
#define BOOK_PREFIX_REMOVING "Removing Unused Tags: "
#define BOOK_PREFIX_PROCESSING "Processing: "

/* How a file is let go once its work is done. */
typedef enum BookFileEnd {
    BOOK_FILE_CLOSE = 0,         /* read-only passes: close without saving */
    BOOK_FILE_SAVE_AND_CLOSE = 1 /* passes that change the file: save under its own path, close */
} BookFileEnd;

/* The file the per-file work is given. doc is 0 when the file could not be opened; the work
 * still runs (every read on document 0 yields nothing). A work that is done with the document
 * before it returns calls ReleaseBookFile. */
typedef struct BookFile {
    ObjectId book;
    ObjectId component;
    const char* path; /* owned by the walk */
    ObjectId doc;
    /* 1 when the user already had the document open before the walk opened it: the walk
     * then never closes it (that would throw away the user's unsaved edits), it only saves
     * it in a pass that changes files. */
    int32_t wasOpen;
    /* Set by the work: this file must not be saved by a save-and-close pass. */
    int32_t leaveUnsaved;
} BookFile;

typedef void (*BookFileWork)(BookFile* file, void* context);

/* Visits every document component of the book depth-first in document order; for each one
 * opens the file, shows prefix + file name on the book's status line, runs work and ends the
 * file as endForm says. Empties the status line afterwards. A book of 0 visits nothing. */
void WalkBookComponents(ObjectId book, const char* prefix, BookFileEnd endForm, BookFileWork work, void* context);

/* Reads the component's path and opens it without user interaction. Returns the path (a new
 * string, MemFree; may be null) and stores the document (0 after a console line when the
 * open failed). */
char* OpenBookFile(ObjectId book, ObjectId component, ObjectId* doc);

/* Sets the book's status line to prefix followed by the file name of path. */
void ShowBookStatus(ObjectId book, const char* prefix, const char* path);

/* Lets the file's document go before the work returns: closes it unless the user had it open,
 * and sets doc to 0 so that the walk does not end it again. */
void ReleaseBookFile(BookFile* file);

/* Empties the book's status line. */
void ClearBookStatus(ObjectId book);

#endif
