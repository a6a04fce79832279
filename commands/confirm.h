/* confirm.h - asking the user before a command changes documents. */
#ifndef TAGWRIGHT_COMMANDS_CONFIRM_H
#define TAGWRIGHT_COMMANDS_CONFIRM_H

#include <stdint.h>

/* Shows question as an OK/Cancel alert. Returns 1 only when the user chose OK; a question
 * the host could not show counts as cancelled, so nothing is changed unasked. */
int32_t ConfirmWithUser(const char* question);

#endif
