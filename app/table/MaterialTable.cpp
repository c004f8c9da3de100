// The material section: channels of standard materials (BaseChannel).
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

HstChannel MatChannel(HstNode mat, int32_t number)
{
  if (!mat) return nullptr;
  return Guarded([&] { return reinterpret_cast<HstChannel>(N(mat)->Channel(number)); }, HstChannel{});
}

HstNode MatChannelShader(HstChannel ch)
{
  return ch ? ToHandle(reinterpret_cast<MaterialChannel*>(ch)->Shader()) : nullptr;
}

HstMaterialTable MakeMaterialSection()
{
  HstMaterialTable t{};
  t.size = sizeof t;
  t.channel = MatChannel;
  t.channel_shader = MatChannelShader;
  return t;
}

}  // namespace

const HstMaterialTable* MaterialSection()
{
  static const HstMaterialTable section = MakeMaterialSection();
  return &section;
}

}  // namespace lensara
