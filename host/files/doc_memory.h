// doc_memory.h - how much memory a document read from MIF holds: what the document cache
// counts against its budget.
#pragma once

#include <cstddef>

#include "host/model/model.h"

namespace tw::host {

// The heap a document holds: its MIF bytes and statement tree, its objects and their property
// sets (each shared set once), as the allocator hands them out (with its headers and rounding).
size_t DocumentMemory(const Document& doc);

} // namespace tw::host
