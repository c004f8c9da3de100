#include "PluginEntry.h"

#include <cstdint>

#include "Binding.h"
#include "GeResource.h"
#include "Memory.h"

namespace {

Int32 startCount = 0;
Filename* pluginPath = nullptr;

int Start(void* table, void* folder)
{
  if (++startCount != 1) return HST_ENTRY_OK;
  Int32 version = InitOS(table);
  if (version < PluginMinHostVersion() || !CoversInterface(gC4DOS) || !folder) return HST_ENTRY_REFUSED;
  pluginPath = NewObj<Filename>();
  if (pluginPath && !pluginPath->Handle()) DeleteObj(pluginPath);
  if (pluginPath) pluginPath->SetHandleCopy(static_cast<HstFilename>(folder));
  return HST_ENTRY_OK;
}

int End()
{
  if (--startCount != 0) return HST_ENTRY_OK;
  PluginEnd();
  FreeResource();
  DeleteObj(pluginPath);
  return HST_ENTRY_OK;
}

int Message(void* id, void* data)
{
  return PluginMessage(static_cast<Int32>(reinterpret_cast<std::uintptr_t>(id)), data) ? HST_ENTRY_OK
                                                                                         : HST_ENTRY_NOT_HANDLED;
}

}  // namespace

Filename GeGetPluginPath() { return pluginPath ? *pluginPath : Filename(); }

int c4d_main(int action, void* p1, void* p2, void* p3)
{
  switch (action) {
    case HST_ACTION_START: return Start(p1, p3);
    case HST_ACTION_REGISTER: return PluginStart() ? HST_ENTRY_OK : HST_ENTRY_FAILED;
    case HST_ACTION_END: return End();
    case HST_ACTION_QUERY: return PluginQueryAnswer();
    case HST_ACTION_MESSAGE: return Message(p1, p2);
    default: return HST_ENTRY_NOT_HANDLED;
  }
}
