// The preview button of the effect, as the attribute manager presses it.
#pragma once

#include "app/core/Node.h"

namespace lensara {

// Sends effect the message of its preview button (18 with DOF_PREVIEW), as the attribute
// manager does when the button is pressed.
void PressPreviewButton(Node& effect);

}  // namespace lensara
