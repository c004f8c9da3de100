/* Documents (BaseDocument) and their render view (BaseDraw). A document is a node
   (HST_BRANCH_OBJECTS, _MATERIALS and _RENDER_DATA hold its lists): it is allocated with
   the node table's alloc(110059), freed with its free and cloned with its clone. */
#ifndef LENSARA_HST_DOCUMENT_H
#define LENSARA_HST_DOCUMENT_H

#include "HstHandles.h"

typedef struct HstDocumentTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The first object named name (depth first), owned by the document; null when none. */
  HstNode (*search_object)(HstNode doc, const char* name);
  /* The active render settings: the one set active while it is in the document, else the
     first; null when the document has none. Owned by the document. */
  HstNode (*active_render_data)(HstNode doc);
  void (*set_active_render_data)(HstNode doc, HstNode rd);
  /* The active camera object; null when the document renders through its default view.
     set_active_camera with null returns to the default view. */
  HstNode (*active_camera)(HstNode doc);
  void (*set_active_camera)(HstNode doc, HstNode camera);
  /* The document time in seconds. */
  double (*get_time)(HstNode doc);
  void (*set_time)(HstNode doc, double seconds);
  /* The render view, owned by the document; null when doc is null. */
  HstNode (*render_view)(HstNode doc);
  /* The camera the view shows doc through: the active camera or the document's default
     camera at (0, 0, -1000) looking along +Z. Owned by doc; null only when doc is null. */
  HstNode (*scene_camera)(HstNode view, HstNode doc);
} HstDocumentTable;

#endif
