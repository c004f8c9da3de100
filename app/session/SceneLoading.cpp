#include "SceneLoading.h"

#include <new>

#include "app/core/Error.h"
#include "app/scene/ParameterEdit.h"
#include "app/scene/SceneFile.h"
#include "resources/description/vpdof.h"

namespace lensara {

std::filesystem::path DemoScene() { return std::filesystem::path(LENSARA_EXAMPLES_DIR) / "still-life.json"; }

std::unique_ptr<Document> LoadSceneReporting(const std::filesystem::path& file, std::ostream& warnings)
{
  std::vector<std::string> found;
  std::unique_ptr<Document> doc;
  try {
    doc = LoadScene(file, &found);
  } catch (const Error&) {
    throw;
  } catch (const Interrupted&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(file.string() + ": " + e.what());
  }
  for (const std::string& warning : found) warnings << "warning: " << warning << "\n";
  return doc;
}

Node* FirstEffect(Document& doc)
{
  Node* rd = doc.ActiveRenderData();
  for (Node* vp = rd ? rd->FirstIn(HST_BRANCH_VIDEO_POSTS) : nullptr; vp; vp = vp->Next())
    if (vp->Type() == kDofId) return vp;
  return nullptr;
}

Node& SceneEffect(Document& doc, const std::filesystem::path& scene)
{
  Node* effect = FirstEffect(doc);
  if (!effect) throw Error(scene.string() + ": its active render settings hold no Lensara effect");
  return *effect;
}

void EditParametersReporting(Document& doc, const std::vector<std::string>& assignments, std::ostream& messages)
{
  for (const std::string& assignment : assignments) {
    std::vector<std::string> lines;
    EditParameter(doc, assignment, lines);
    for (const std::string& line : lines) messages << line << "\n";
  }
}

}  // namespace lensara
