// The plug-in's binding to the host function table.
#pragma once

#include "Types.h"
#include "abi/C4DOS.h"

// The bound table; every wrapper call goes through it. Null until InitOS.
extern const C4DOS* gC4DOS;

// Keeps table as the host function table and returns the host version it reports,
// or 0 when table is null (nothing is bound then).
Int32 InitOS(void* table);

// True when table and each of its sections are at least as large as this interface declares
// them: a host built against an older interface lacks functions that the wrappers call.
// The parallel section is optional (ParallelSection).
Bool CoversInterface(const C4DOS* table);

// The bound table's parallel section, or null when the host offers none (an older host:
// its table ends before it, or the section is null or smaller than this interface's).
const HstParallelTable* ParallelSection();
