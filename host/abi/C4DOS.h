/* The host function table handed to a plug-in's c4d_main with the first start action.
   It is versioned and grows only at its end: new sections are appended below, and each
   section's own table grows only at its end. The root and every section carry their size
   as the host built them, so that a plug-in can tell which functions a host offers. */
#ifndef LENSARA_C4DOS_H
#define LENSARA_C4DOS_H

#include "HstBitmap.h"
#include "HstContainer.h"
#include "HstCustomData.h"
#include "HstData.h"
#include "HstDialog.h"
#include "HstDocument.h"
#include "HstEntry.h"
#include "HstHandles.h"
#include "HstMaterial.h"
#include "HstMemory.h"
#include "HstMultipass.h"
#include "HstNode.h"
#include "HstObject.h"
#include "HstParallel.h"
#include "HstPlugin.h"
#include "HstRender.h"
#include "HstRenderCall.h"
#include "HstRenderer.h"
#include "HstString.h"

/* The version this interface describes; the effect refuses hosts below 12000 (11000 in
   its macOS behaviour). */
#define HST_VERSION 12000

typedef struct C4DOS {
  int32_t version; /* first field by contract: the host version number */
  uint32_t size;   /* sizeof this table as the host built it */
  const HstMemoryTable* memory;
  const HstPluginTable* plugin;
  const HstStringTable* string;
  const HstFilenameTable* filename;
  const HstDataTable* data;
  const HstContainerTable* container;
  const HstNodeTable* node;
  const HstDocumentTable* document;
  const HstObjectTable* object;
  const HstMaterialTable* material;
  const HstCustomDataTable* custom;
  const HstBitmapTable* bitmap;
  const HstRenderCallTable* render_call;
  const HstMultipassTable* multipass;
  const HstRendererTable* renderer;
  const HstRenderTable* render;
  const HstDialogTable* dialog;
  /* Optional: an older host ends its table before this field (see size) or leaves it null. */
  const HstParallelTable* parallel;
} C4DOS;

#endif
