/* confirm.cpp - the OK/Cancel question asked before a command changes documents. A question
 * that never reached the user must not read as consent, so a failed alert counts as Cancel. */
#include "commands/confirm.h"

#include "bridge/host_ops.h"

int32_t ConfirmWithUser(const char* question)
{
    /* The alert answers 0 both for OK and when the host could not show it; only the error
     * number tells the two apart. */
    int32_t saved = HostErrorSave();
    int32_t answer = ShowAlert(question, ALERT_QUESTION);
    int32_t failed = HostErrorRestore(saved);
    return !failed && answer == 0;
}
