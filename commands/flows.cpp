/* flows.cpp - finding where a text flow's paragraphs start. */
#include "commands/flows.h"

#include "bridge/host_ops.h"

ObjectId FirstParagraphOfFlow(ObjectId doc, ObjectId flow)
{
    for (ObjectId frame = GetIdProperty(doc, flow, PROP_FIRST_FRAME); frame != 0;
         frame = GetIdProperty(doc, frame, PROP_NEXT_FRAME)) {
        ObjectId first = GetIdProperty(doc, frame, PROP_FIRST_PARAGRAPH);
        if (first != 0)
            return first;
    }
    return 0;
}
