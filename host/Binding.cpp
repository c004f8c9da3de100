#include "Binding.h"

const C4DOS* gC4DOS = nullptr;

Int32 InitOS(void* table)
{
  if (!table) return 0;
  gC4DOS = static_cast<const C4DOS*>(table);
  return gC4DOS->version;
}
