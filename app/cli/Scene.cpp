#include "Scene.h"

#include <string>

#include "app/core/Error.h"
#include "app/scene/SceneFile.h"
#include "app/scene/Schema.h"

namespace lensara {

namespace {


std::string Describe(const Node& n) { return TypeNameOf(n.Type()) + " \"" + n.Name() + "\""; }

int Count(const Node* first)
{
  int count = 0;
  for (const Node* n = first; n; n = n->Next()) count += 1 + Count(n->Down());
  return count;
}

void PrintTags(Document& doc, const Node& object, std::ostream& out)
{
  for (const Node* tag = object.FirstIn(HST_BRANCH_TAGS); tag; tag = tag->Next()) {
    out << " [" << TypeNameOf(tag->Type());
    const Value* link = tag->Type() == kTextureTagType ? tag->Data().Find(kTextureTagMaterial) : nullptr;
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

void PrintRenderSettings(Document& doc, std::ostream& out)
{
  for (const Node* rd = doc.FirstRenderData(); rd; rd = rd->Next()) {
    out << "  " << Describe(*rd) << (rd == doc.ActiveRenderData() ? " (active)" : "") << "\n";
    for (const Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next())
      out << "    video post " << Describe(*vp) << "\n";
    for (const Node* pass = rd->FirstIn(HST_BRANCH_PASSES); pass; pass = pass->Next())
      out << "    pass " << pass->Data().GetLong(1000, 0) << "\n";
  }
}

void PrintScene(Document& doc, const std::filesystem::path& file, std::ostream& out)
{
  out << file.string() << ": " << Count(doc.FirstObject()) << " objects, " << Count(doc.FirstMaterial())
      << " materials, " << Count(doc.FirstRenderData()) << " render settings\n";
  out << "objects:\n";
  PrintObjects(doc, doc.FirstObject(), 0, out);
  out << "materials:\n";
  for (const Node* m = doc.FirstMaterial(); m; m = m->Next()) out << "  " << Describe(*m) << "\n";
  out << "render settings:\n";
  PrintRenderSettings(doc, out);
  Node* camera = doc.ActiveCamera();
  out << "camera: " << (camera ? "\"" + camera->Name() + "\"" : std::string("the default view")) << "\n";
}

}  // namespace

namespace {

// Runs a command on file; an error is printed to err and gives exit code 1.
template <class F>
int Run(const std::filesystem::path& file, std::ostream& err, const F& command)
{
  try {
    command();
    return 0;
  } catch (const Error& e) {
    err << "lensara: " << e.what() << "\n";
  } catch (const std::exception& e) {
    err << "lensara: " << file.string() << ": " << e.what() << "\n";
  }
  return 1;
}

}  // namespace

int CheckScene(const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
  return Run(file, err, [&] { PrintScene(*LoadScene(file), file, out); });
}

int ConvertScene(const std::filesystem::path& in, const std::filesystem::path& outFile, std::ostream& err)
{
  return Run(in, err, [&] { SaveScene(*LoadScene(in), outFile); });
}

}  // namespace lensara
