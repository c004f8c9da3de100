#include "Scene.h"

#include <new>
#include <string>
#include <vector>

#include "app/core/Error.h"
#include "app/core/Files.h"
#include "app/scene/ParameterEdit.h"
#include "app/scene/SceneFile.h"
#include "app/scene/Schema.h"
#include "app/scene/ValueJson.h"
#include "app/session/SceneLoading.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

std::string Describe(const Node& n) { return TypeNameOf(n.Type()) + " \"" + n.Name() + "\""; }

int Count(const Node* first)
{
  int count = 0;
  for (const Node* n = first; n; n = n->Next()) count += 1 + Count(n->Down());
  return count;
}

// "1 object", "3 objects"
std::string Counted(int count, const std::string& noun)
{
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void PrintTags(Document& doc, const Node& object, std::ostream& out)
{
  for (const Node* tag = object.FirstIn(HST_BRANCH_TAGS); tag; tag = tag->Next()) {
    out << " [" << TypeNameOf(tag->Type());
    const Value* link = tag->Type() == kTextureTag ? tag->Data().Find(kTextureTagMaterial) : nullptr;
    if (link && link->GetLink()) {
      Node* mat = doc.Resolve(*link->GetLink());
      out << " -> " << (mat ? "\"" + mat->Name() + "\"" : std::string("(no material)"));
    }
    out << "]";
  }
}

void PrintObjects(Document& doc, const Node* first, int depth, std::ostream& out)
{
  for (const Node* n = first; n; n = n->Next()) {
    out << std::string(2 + 2 * depth, ' ') << Describe(*n);
    PrintTags(doc, *n, out);
    out << "\n";
    PrintObjects(doc, n->Down(), depth + 1, out);
  }
}

// A video post's parameters, one per line, as the scene file would write them now.
void PrintParameters(Document& doc, const Node& videoPost, std::ostream& out)
{
  Json data = EncodeContainer(videoPost.Data(), Schema::ForType(videoPost.Type()), NamesIn(doc));
  for (const auto& [name, value] : data.items()) out << "      " << name << " = " << Shown(value) << "\n";
}

void PrintRenderSettings(Document& doc, bool params, std::ostream& out)
{
  for (const Node* rd = doc.FirstRenderData(); rd; rd = rd->Next()) {
    out << "  " << Describe(*rd) << (rd == doc.ActiveRenderData() ? " (active)" : "") << "\n";
    for (const Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next()) {
      out << "    video post " << Describe(*vp) << "\n";
      if (params) PrintParameters(doc, *vp, out);
    }
    for (const Node* pass = rd->FirstIn(HST_BRANCH_PASSES); pass; pass = pass->Next())
      out << "    pass " << pass->Data().GetLong(kPassKind, 0) << "\n";
  }
}

void PrintScene(Document& doc, const std::filesystem::path& file, bool params, std::ostream& out)
{
  out << file.string() << ": " << Counted(Count(doc.FirstObject()), "object") << ", "
      << Counted(Count(doc.FirstMaterial()), "material") << ", " << Count(doc.FirstRenderData())
      << " render settings\n";
  out << "objects:\n";
  PrintObjects(doc, doc.FirstObject(), 0, out);
  out << "materials:\n";
  for (const Node* m = doc.FirstMaterial(); m; m = m->Next()) out << "  " << Describe(*m) << "\n";
  out << "render settings:\n";
  PrintRenderSettings(doc, params, out);
  Node* camera = doc.ActiveCamera();
  out << "camera: " << (camera ? "\"" + camera->Name() + "\"" : std::string("the default view")) << "\n";
}

}  // namespace

void CheckScene(const std::filesystem::path& file, bool params, std::ostream& out, std::ostream& warnings)
{
  PrintScene(*LoadSceneReporting(file, warnings), file, params, out);
}

void ConvertScene(const std::filesystem::path& in, const std::filesystem::path& outFile, std::ostream& warnings)
{
  if (!IsSceneFile(outFile))
    throw UsageError(outFile.string() + ": scene files are written as JSON; name the output *.json");
  CheckWritable(outFile);
  SaveScene(*LoadSceneReporting(in, warnings), outFile);
}

}  // namespace lensara
