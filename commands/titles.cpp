/* titles.cpp - document and book titles from the paths the host gives. */
#include "commands/titles.h"

#include "bridge/host_ops.h"
#include "support/memory.h"
#include "support/path.h"
#include "support/strings.h"

/* File name of a path read from the host, or null when the path gives none. */
static char* FileNameOf(char* hostPath)
{
    PathRecord* record = PathFromText(hostPath, 0, 0);
    BridgeFree(hostPath);
    if (!record)
        return 0;
    char* name = PathFileName(record);
    PathRecordFree(record);
    return name;
}

char* DocumentTitle(ObjectId doc)
{
    char* name = FileNameOf(GetStringProperty(doc, doc, PROP_NAME));
    return name ? name : StrDuplicate("Untitled");
}

char* BookTitle(ObjectId book) { return FileNameOf(GetStringProperty(0, book, PROP_NAME)); }
