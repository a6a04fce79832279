/* boundary_as_c.c - bridge/boundary.h compiled as C11: the header a host written in C would
 * include stays plain C, its slot tables and typed accessors included. */
#include "bridge/boundary.h"

TwResult BoundaryAsCPrint(HostApi* api, const char* text, int32_t* status)
{
    return HostSlotPrintToConsole(api)(api, text, status);
}
