#include "entry.h"

#include <cstdint>

#include "Dof.h"
#include "PlatformBehaviour.h"

namespace {

constexpr Int32 kNameString = 10000;

constexpr int kRefused = -3;
constexpr int kNotHandled = -1;

Int32 startCount = 0;
Filename* pluginPath = nullptr;

int Start(void* table, void* folder)
{
  if (++startCount != 1) return 1;
  Int32 version = InitOS(table);
  if (version < kMinHostVersion || !folder) return kRefused;
  pluginPath = NewObj<Filename>();
  if (pluginPath && !pluginPath->Handle()) DeleteObj(pluginPath);
  if (pluginPath) pluginPath->SetHandleCopy(static_cast<HstFilename>(folder));
  return 1;
}

int End()
{
  if (--startCount != 0) return 1;
  PluginEnd();
  FreeResource();
  DeleteObj(pluginPath);
  return 1;
}

}  // namespace

Filename GeGetPluginPath() { return pluginPath ? *pluginPath : Filename(); }

Bool RegisterDof()
{
  String name = GeLoadString(kNameString);
  if (!name.Content()) return true;
  return RegisterVideoPostPlugin(kDofId, name, 0, Dof::Alloc, String("vpdof"), 0, 0, nullptr);
}

Bool PluginStart() { return RegisterDof() != 0; }

void PluginEnd() {}

Bool PluginMessage(Int32 id, void*)
{
  switch (id) {
    case 0: return true;
    case 1: return resource.Init();
    default: return false;
  }
}

int c4d_main(int action, void* p1, void* p2, void* p3)
{
  switch (action) {
    case 1: return Start(p1, p3);
    case 2: return PluginStart() ? 1 : 0;
    case 3: return End();
    case 4: return kQueryAnswer;
    case 6: return PluginMessage(static_cast<Int32>(reinterpret_cast<std::uintptr_t>(p1)), p2) ? 1 : -1;
    default: return kNotHandled;
  }
}
