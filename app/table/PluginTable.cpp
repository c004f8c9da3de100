// The plug-in section: product kind, registration and resources.
#include "Sections.h"
#include "TableHandles.h"
#include "app/core/Host.h"
#include "app/core/Resource.h"

namespace lensara {

namespace {

Resource* R(HstResource r) { return reinterpret_cast<Resource*>(r); }

int32_t VersionType() { return Host::Active() ? Host::Active()->ProductKind() : 1; }

HstBool RegisterVideoPost(const HstVideoPostRegistration* registration)
{
  if (!registration || !Host::Active()) return false;
  return Guarded([registration] { return Host::Active()->RegisterVideoPost(*registration); }, false);
}

// Adds a problem to the report of the plug-in that is starting, when memory allows.
void NoteProblem(const char* problem)
{
  if (Host::Active()) Guarded([problem] { Host::Active()->NotePluginProblem(problem); });
}

HstResource LoadResource(HstFilename folder)
{
  if (!folder || !MayAllocate()) return nullptr;
  try {
    return reinterpret_cast<HstResource>(new Resource(Resource::Load(FromHandle(folder)->text)));
  } catch (const std::exception& e) {
    NoteProblem(e.what());
    return nullptr;
  }
}

void FreeResource(HstResource r) { delete R(r); }

HstBool LoadString(HstResource r, int32_t id, HstString out)
{
  const std::string* text = r ? R(r)->String(id) : nullptr;
  return Guarded(
      [&] {
        if (out) FromHandle(out)->text = text ? *text : std::string();
        return text != nullptr;
      },
      false);
}

HstPluginTable MakePluginSection()
{
  HstPluginTable t{};
  t.size = sizeof t;
  t.version_type = VersionType;
  t.register_video_post = RegisterVideoPost;
  t.load_resource = LoadResource;
  t.free_resource = FreeResource;
  t.load_string = LoadString;
  return t;
}

}  // namespace

const HstPluginTable* PluginSection()
{
  static const HstPluginTable section = MakePluginSection();
  return &section;
}

}  // namespace lensara
