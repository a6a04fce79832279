/* about.cpp - the note about the client, shown by command 1000. */
#include "commands/about.h"

#include "bridge/host_ops.h"

static const char kAboutText[] = "Tagwright \n"
                                 "Version 2.1 Build 104 \n"
                                 "Published by the Tagwright project\n"
                                 "Paragraph format tools for documents and books";

int32_t TagwrightAbout(ObjectId doc)
{
    (void)doc;
    ShowAlert(kAboutText, ALERT_NOTE);
    return 0;
}
