/* report.h - the property-by-property report of one paragraph format or of all of them. */
#ifndef TAGWRIGHT_COMMANDS_REPORT_H
#define TAGWRIGHT_COMMANDS_REPORT_H

#include "bridge/boundary.h"

int32_t GenerateParagraphTagReport(ObjectId doc);       /* command 16 */
int32_t GenerateParagraphTagReportSingle(ObjectId doc); /* command 17 */

/* Appends the format's twelve property groups (not its tag heading) to the output document
 * out; doc is the document the format belongs to. */
void ReportParagraphFormat(ObjectId doc, ObjectId format, ObjectId out);

/* Each appends one "Body" paragraph "label: value" for one property of the format. */
void WriteBooleanLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
void WriteIntegerLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
void WriteStringLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
/* In the document's display unit, "%.3f" and the unit's name. */
void WriteMeasureLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
/* In the document's font-size unit, "%.2f" and "points" or "Q"; line spacing (558) is shown
 * with the font size added. */
void WriteFontMeasureLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
/* 0x10000 = 100 %, "%.2f" followed by "%". */
void WritePercentLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out);
/* "label: text " with a ready text (null reads as empty). */
void WriteTextLine(const char* label, const char* text, ObjectId out);

/* Name of the document's display unit ("inches", "points", ...), "" for a unit not known;
 * a unit that cannot be read counts as points. Static text. */
const char* UnitName(ObjectId doc);
/* Name of a language value ("usenglish", ...), or null for a value not known. Static text. */
const char* LanguageName(int32_t language);

#endif
