/* The render that calls a video post (HstRender): its settings and its output buffers.
   Buffers are layers of the frame's image, a multipass bitmap: the bitmap section writes
   their rows, the multipass section names them (parameter 1006). */
#ifndef LENSARA_HST_RENDER_H
#define LENSARA_HST_RENDER_H

#include "HstHandles.h"

/* Result codes of allocate_buffer. */
enum { HST_BUFFER_OK = 0, HST_BUFFER_REFUSED = 1 /* bad arguments, no render, short memory */ };

typedef struct HstRenderTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The container of the render settings being rendered, owned by the render and valid
     while it lasts; null for a null render. */
  HstContainer (*get_render_data)(HstRender r);
  /* Asks for the output buffer of type and sub_id in the frames to come, with bits per
     channel (8, 16 or 32) and visible (saved and shown under its layer name). Asked again,
     a buffer keeps its first depth and becomes visible when any request says so. Type 1,
     sub-id 0 is the image itself and always exists. Answers an HST_BUFFER_... code. */
  int32_t (*allocate_buffer)(HstRender r, int32_t type, int32_t sub_id, int32_t bits, HstBool visible);
  /* The buffer of type and sub_id of the frame being rendered, owned by the render and
     valid until the frame is complete; type 1, sub-id 0 is the frame's image, a multipass
     bitmap whose layers are the other buffers. Null when it was never asked for or no
     frame is being rendered. */
  HstBitmap (*get_buffer)(HstRender r, int32_t type, int32_t sub_id);
} HstRenderTable;

#endif
