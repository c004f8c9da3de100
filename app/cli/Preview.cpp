#include "Preview.h"

#include "app/core/Error.h"
#include "app/dialog/Dialog.h"
#include "app/image/ImageIO.h"
#include "app/session/PreviewButton.h"
#include "app/session/SceneLoading.h"

namespace lensara {

std::optional<std::string> RunPreview(const Host& host, const PreviewOptions& options, std::ostream& warnings)
{
  const std::filesystem::path scene = options.scene.empty() ? DemoScene() : options.scene;
  CheckImageOutput(options.output);
  std::unique_ptr<Document> doc = LoadSceneReporting(scene, warnings);
  EditParametersReporting(*doc, options.sets, warnings);
  PressPreviewButton(SceneEffect(*doc, scene));
  std::vector<Dialog*> windows = Dialog::OpenDialogs();
  if (windows.empty()) {
    // The effect decides which product kinds have no preview; on the host's standard
    // product (1) a missing window can only be a failure.
    if (host.ProductKind() != kStandardProduct) return std::nullopt;
    throw Error(scene.string() + ": the effect opened no preview window (out of memory?)");
  }
  WriteImage(options.output, windows.front()->Draw());
  std::vector<std::string> texts = windows.front()->Texts();
  return texts.empty() ? std::string() : texts.front();
}

}  // namespace lensara
