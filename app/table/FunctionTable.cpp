#include "app/core/FunctionTable.h"

#include "Sections.h"

namespace lensara {

std::shared_ptr<const C4DOS> MakeFunctionTable(int32_t version)
{
  auto table = std::make_shared<C4DOS>();
  table->version = version;
  table->size = sizeof(C4DOS);
  table->memory = MemorySection();
  table->plugin = PluginSection();
  table->string = StringSection();
  table->filename = FilenameSection();
  table->data = DataSection();
  table->container = ContainerSection();
  table->node = NodeSection();
  table->document = DocumentSection();
  table->object = ObjectSection();
  table->material = MaterialSection();
  table->custom = CustomDataSection();
  table->bitmap = BitmapSection();
  table->render_call = RenderCallSection();
  table->multipass = MultipassSection();
  table->renderer = RendererSection();
  table->render = RenderSection();
  table->dialog = DialogSection();
  table->parallel = ParallelSection();
  return table;
}

}  // namespace lensara
