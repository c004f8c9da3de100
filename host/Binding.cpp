#include "Binding.h"

#include <cstddef>

namespace {

template <class Section>
Bool Covers(const Section* section)
{
  return section && section->size >= sizeof(Section);
}

}  // namespace

const C4DOS* gC4DOS = nullptr;

Int32 InitOS(void* table)
{
  if (!table) return 0;
  gC4DOS = static_cast<const C4DOS*>(table);
  return gC4DOS->version;
}

Bool CoversInterface(const C4DOS* t)
{
  return t && t->size >= offsetof(C4DOS, parallel) && Covers(t->memory) && Covers(t->plugin) && Covers(t->string) &&
         Covers(t->filename) && Covers(t->data) && Covers(t->container) && Covers(t->node) && Covers(t->document) &&
         Covers(t->object) && Covers(t->material) && Covers(t->custom) && Covers(t->bitmap) &&
         Covers(t->render_call) && Covers(t->multipass) && Covers(t->renderer) && Covers(t->render) &&
         Covers(t->dialog);
}

const HstParallelTable* ParallelSection()
{
  if (gC4DOS->size < offsetof(C4DOS, parallel) + sizeof gC4DOS->parallel) return nullptr;
  return Covers(gC4DOS->parallel) ? gC4DOS->parallel : nullptr;
}
