#include "host/keys/MaterialKeys.h"
#include "host/keys/TagKeys.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "resources/description/vpdof.h"

namespace {

const Vector kWhite(1.0, 1.0, 1.0);

void WhitenColour(BaseContainer* data)
{
  data->SetVector(kMaterialColor, kWhite);
  data->SetReal(kMaterialColorBrightness, 1.0);
}

// The hair gradient becomes two white knots: first at position 1, then at 0.
void WhitenGradient(Gradient* gradient)
{
  for (Int32 i = gradient->GetKnotCount() - 1; i >= 0; --i) gradient->RemoveKnot(i);
  gradient->InsertKnot(kWhite, 1.0, 1.0, 0.5, 0);
  gradient->InsertKnot(kWhite, 1.0, 0.0, 0.5, 0);
}

void WhitenHairMaterial(BaseMaterial* mat)
{
  BaseContainer* data = mat->GetDataInstance();
  if (!data) return;
  data->SetBool(1514, false);
  data->SetBool(1500, true);
  data->SetBool(1515, false);
  data->SetReal(3110, 0.0);
  if (auto* gradient = static_cast<Gradient*>(data->GetCustomDataType(kHairMaterialGradient, CUSTOMDATATYPE_GRADIENT))) WhitenGradient(gradient);
  data->SetBool(3141, true);
  for (Int32 key : {3001, 3146, 3000, 3007}) data->RemoveData(key);
}

// Only the white colour channel stays lit; bump stays for reflections.
void WhitenStandardMaterial(BaseMaterial* mat, Bool reflections)
{
  mat->SetChannelState(0, true);
  for (Int32 channel : {1, 4, 5}) mat->SetChannelState(channel, false);
  if (!reflections) mat->SetChannelState(6, false);
  for (Int32 channel : {8, 9, 10, 12}) mat->SetChannelState(channel, false);
  BaseChannel* colour = mat->GetChannel(0);
  if (BaseContainer* data = mat->GetDataInstance()) {
    WhitenColour(data);
    data->RemoveData(kMaterialDiffuseModel);
  }
  if (BaseShader* shader = colour ? colour->GetShader() : nullptr) {
    shader->Remove();
    BaseShader::Free(shader);
  }
  mat->Message(MSG_UPDATE);
}

BaseMaterial* AllocDepthMaterial()
{
  BaseMaterial* mat = BaseMaterial::Alloc(kStandardMaterial);
  if (!mat) return nullptr;
  WhitenColour(mat->GetDataInstance());
  mat->SetChannelState(8, false);
  return mat;
}

// Unlinks and frees every texture tag of op whose material is gone; true when op keeps
// a texture tag.
Bool RemoveTexturesWithoutMaterial(BaseObject* op)
{
  Bool textured = false;
  for (BaseTag *tag = op->GetFirstTag(), *next; tag; tag = next) {
    next = tag->GetNext();
    if (tag->GetType() != kTextureTag) continue;
    if (static_cast<TextureTag*>(tag)->GetMaterial()) {
      textured = true;
      continue;
    }
    tag->Remove();
    BaseTag::Free(tag);
  }
  return textured;
}

}  // namespace

Bool Dof::AdjustMaterials(BaseDocument* doc, const BaseContainer* settings)
{
  Bool reflections = settings->GetBool(DOF_REFLECTIONS);
  BaseMaterial* mat = doc->GetFirstMaterial();
  while (mat) {
    BaseMaterial* next = mat->GetNext();
    Int32 type = mat->GetType();
    if (type == kHairMaterial) {
      WhitenHairMaterial(mat);
    } else if (type == kStandardMaterial) {
      WhitenStandardMaterial(mat, reflections);
    } else {
      mat->Remove();
      BaseMaterial::Free(mat);
    }
    mat = next;
  }

  BaseMaterial* depthMaterial = AllocDepthMaterial();
  if (!depthMaterial) return false;
  doc->InsertMaterial(depthMaterial, nullptr, kInsertsWithUniqueNames);
  if (!doc->GetFirstObject()) return true;
  TextureTag* depthTag = TextureTag::Alloc();
  if (!depthTag) return false;
  depthTag->SetMaterial(depthMaterial);
  SetMaterialForAllObjects(doc->GetFirstObject(), depthTag);
  TextureTag::Free(depthTag);
  return true;
}

void Dof::SetMaterialForAllObjects(BaseObject* op, TextureTag* tag)
{
  for (; op; op = op->GetNext()) {
    if (RemoveTexturesWithoutMaterial(op)) continue;
    if (Int32 type = op->GetType(); type == kLight || type == kCamera) {
      SetMaterialForAllObjects(op->GetDown(), tag);
      continue;
    }
    if (auto* clone = static_cast<BaseTag*>(tag->GetClone(0, nullptr))) op->InsertTag(clone);
  }
}

void Dof::DisableCompositingTags(BaseObject* op)
{
  for (; op; op = op->GetNext()) {
    for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext()) {
      if (tag->GetType() != kCompositingTag) continue;
      BaseContainer* copy = tag->GetDataClone();
      if (!copy) continue;
      copy->SetBool(kCompositingBackground, false);
      tag->SetData(copy, true);
      BaseContainer::Free(copy);
      tag->Message(MSG_UPDATE);
    }
    DisableCompositingTags(op->GetDown());
  }
}
