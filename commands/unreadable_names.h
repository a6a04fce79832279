/* unreadable_names.h - names that reached the plug-in with characters the current encoding
 * lacks, each replaced by the substitution character: two different tags may arrive as the
 * same text, so the commands never match, delete or convert by such a name, and say on the
 * console, once per name, what they left alone and why. */
#ifndef TAGWRIGHT_COMMANDS_UNREADABLE_NAMES_H
#define TAGWRIGHT_COMMANDS_UNREADABLE_NAMES_H

#include "bridge/boundary.h"

/* 1 when name arrived with substituted characters. */
int32_t IsUnreadableName(const char* name);

/* A used tag listed as it arrived, which may stand for several tags. */
void ReportUnreadableTag(const char* tag);

/* A row of the conversion table, or an entry of the list table, that is not used. */
void ReportSkippedConversionRow(const char* source, const char* destination);
void ReportSkippedListEntry(const char* entry);

/* A format of doc that a deletion left in place. */
void ReportKeptFormat(ObjectId doc, const char* name);

#endif
