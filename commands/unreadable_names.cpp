/* unreadable_names.cpp - the test for names with substituted characters and the console
 * lines about what was left alone because of them. */
#include "commands/unreadable_names.h"

#include "commands/titles.h"
#include "support/encoding.h"
#include "support/format.h"
#include "support/memory.h"

static const char kWhy[] = "holds characters outside the plug-in's encoding, so it cannot be told apart";

int32_t IsUnreadableName(const char* name) { return HasSubstitutedChars(name); }

void ReportUnreadableTag(const char* tag)
{
    ConsoleReport("Paragraph tag '%s' %s from other tags; it is listed as received and may stand for several.\n",
                  tag ? tag : "", kWhy);
}

void ReportSkippedConversionRow(const char* source, const char* destination)
{
    ConsoleReport("Skipped conversion row '%s' -> '%s': a tag name in it %s.\n", source ? source : "",
                  destination ? destination : "", kWhy);
}

void ReportSkippedListEntry(const char* entry)
{
    ConsoleReport("Skipped list entry '%s': it %s.\n", entry ? entry : "", kWhy);
}

void ReportKeptFormat(ObjectId doc, const char* name)
{
    char* title = DocumentTitle(doc);
    ConsoleReport("%s: kept paragraph format '%s': its name %s.\n", title ? title : "", name ? name : "", kWhy);
    MemFree(title);
}
