/* The host's renderer: renders a document synchronously into a bitmap. */
#ifndef LENSARA_HST_RENDERER_H
#define LENSARA_HST_RENDERER_H

#include "HstHandles.h"

/* Called on the rendering caller's thread with the fraction done (0 .. 1, rising, 1 last). */
typedef void (*HstProgressHook)(float fraction, void* context);

/* Result codes of render_document. */
enum {
  HST_RENDER_OK = 0,
  HST_RENDER_OUT_OF_MEMORY = 1,
  HST_RENDER_BAD_IMAGE_SIZE = 2, /* width or height (keys 5008, 5009) outside 1 .. 16384 */
  HST_RENDER_USER_BREAK = 3,
  HST_RENDER_SCENE_ERROR = 4 /* no document, no bitmap, or a scene the renderer cannot build */
};

/* Render flags. */
enum { HST_RENDER_EXTERNAL = 1 /* also fill the pass layers of a multipass bitmap */ };

typedef struct HstRendererTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* Renders doc through its scene camera with the render settings settings (the document's
     active render settings give the pass entries) into bitmap, which becomes the settings'
     size: its rows get the composite and, with HST_RENDER_EXTERNAL, a multipass bitmap
     gets one layer per pass (its earlier layers are dropped). hook (may be null) gets
     context and the fraction done; thread (may be null) is asked for its break test.
     Nothing is owned by the call. Answers an HST_RENDER_... code. */
  int32_t (*render_document)(HstNode doc, HstContainer settings, HstProgressHook hook, void* context,
                             HstBitmap bitmap, int32_t flags, HstThread thread);
} HstRendererTable;

#endif
