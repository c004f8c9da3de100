#include "BaseMaterial.h"

namespace {
constexpr Int32 kChannelStateKey = 2000;
}  // namespace

BaseShader* BaseChannel::GetShader() const
{
  return NodeCast<BaseShader>(gC4DOS->material->channel_shader(Handle()));
}

BaseMaterial* BaseMaterial::Alloc(Int32 type) { return NodeCast<BaseMaterial>(gC4DOS->node->alloc(type)); }

Bool BaseMaterial::GetChannelState(Int32 channel) const
{
  return GetDataInstance()->GetBool(kChannelStateKey + channel);
}

void BaseMaterial::SetChannelState(Int32 channel, Bool state)
{
  GetDataInstance()->SetBool(kChannelStateKey + channel, state);
}

BaseChannel* BaseMaterial::GetChannel(Int32 channel)
{
  return reinterpret_cast<BaseChannel*>(gC4DOS->material->channel(Handle(), channel));
}

BaseShader* BaseMaterial::GetFirstShader() const
{
  return NodeCast<BaseShader>(gC4DOS->node->first_in(Handle(), HST_BRANCH_SHADERS));
}

Bool BaseMaterial::InsertShader(BaseShader* shader, BaseShader* pred)
{
  return gC4DOS->node->insert(Handle(), HST_BRANCH_SHADERS, HandleOf(shader),
                              HandleOf(pred));
}

PluginShader* PluginShader::Alloc(Int32 type) { return NodeCast<PluginShader>(gC4DOS->node->alloc(type)); }
