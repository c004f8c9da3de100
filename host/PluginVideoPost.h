// PluginVideoPost: a video post node of a render setting.
#pragma once

#include "BaseList2D.h"

class PluginVideoPost : public BaseList2D {};
