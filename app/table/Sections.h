// The sections of the host's function table, one implementation file each
// (app/table/<Section>Table.cpp), every one filled field by field and sized as built.
#pragma once

#include "host/abi/C4DOS.h"

namespace lensara {

const HstMemoryTable* MemorySection();
const HstPluginTable* PluginSection();
const HstStringTable* StringSection();
const HstFilenameTable* FilenameSection();
const HstDataTable* DataSection();
const HstContainerTable* ContainerSection();
const HstNodeTable* NodeSection();
const HstDocumentTable* DocumentSection();
const HstObjectTable* ObjectSection();
const HstMaterialTable* MaterialSection();
const HstCustomDataTable* CustomDataSection();
const HstBitmapTable* BitmapSection();
const HstRenderCallTable* RenderCallSection();
const HstMultipassTable* MultipassSection();
const HstRendererTable* RendererSection();
const HstRenderTable* RenderSection();
const HstDialogTable* DialogSection();
const HstParallelTable* ParallelSection();

}  // namespace lensara
