#include "PreviewButton.h"

#include "resources/description/vpdof.h"

namespace lensara {

void PressPreviewButton(Node& effect)
{
  HstDescriptionCommand command{};
  command.id.depth = 1;
  command.id.level[0].id = DOF_PREVIEW;
  effect.Message(HST_MSG_DESCRIPTION_COMMAND, &command);
}

}  // namespace lensara
