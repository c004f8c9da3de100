#include "entry.h"

#include "Dof.h"
#include "PlatformBehaviour.h"

namespace {
constexpr Int32 kNameString = 10000;
}  // namespace

Bool RegisterDof()
{
  String name = GeLoadString(kNameString);
  if (!name.Content()) return true;
  return RegisterVideoPostPlugin(kDofId, name, 0, Dof::Alloc, String("vpdof"), 0, 0, nullptr);
}

Bool PluginStart() { return RegisterDof() != 0; }

void PluginEnd() {}

// The acknowledgement is answered, the resources load; other messages are not handled.
Bool PluginMessage(Int32 id, void*)
{
  switch (id) {
    case HST_ENTRY_MSG_ACKNOWLEDGE: return true;
    case HST_ENTRY_MSG_LOAD_RESOURCES: return resource.Init();
    default: return false;
  }
}

Int32 PluginMinHostVersion() { return kMinHostVersion; }

int PluginQueryAnswer() { return kQueryAnswer; }
