/* Materials (BaseMaterial) and their channels (BaseChannel). A material's shaders are
   its HST_BRANCH_SHADERS; a channel's on/off state is the Bool at key 2000 + channel. */
#ifndef LENSARA_HST_MATERIAL_H
#define LENSARA_HST_MATERIAL_H

#include "HstHandles.h"

typedef struct HstMaterialTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* Channel number (0 colour .. 12 diffusion) of a standard material (5703), owned by the
     material; null for other nodes and numbers. */
  HstChannel (*channel)(HstNode mat, int32_t number);
  /* The shader the channel links (key 2102 + 10 x number), found among the material's
     shaders; owned by the material, null when there is none. */
  HstNode (*channel_shader)(HstChannel ch);
} HstMaterialTable;

#endif
