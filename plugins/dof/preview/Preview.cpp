#include "plugins/dof/Dof.h"

// The preview window arrives with the host's dialogs; until then a preview shows nothing.
void Dof::Preview(GeListNode*) {}
