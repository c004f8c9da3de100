// The plug-in interface: everything a plug-in may call of the host.
#pragma once

#include "BaseBitmap.h"
#include "BaseContainer.h"
#include "BaseList2D.h"
#include "Binding.h"
#include "DescID.h"
#include "GeData.h"
#include "GeResource.h"
#include "General.h"
#include "Memory.h"
#include "NodeData.h"
#include "PluginVideoPost.h"
#include "String.h"
#include "Types.h"
#include "VideoPostStruct.h"
