// A fixture that binds the host table in-process, with the Lensara plug-in loaded, and
// builds a document through the plug-in interface.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginFolder.h"
#include "app/core/Host.h"
#include "host/c4d.h"
#include "plugins/dof/Dof.h"
#include "resources/description/vpdof.h"

class DepthSceneTest : public ::testing::Test {
protected:
  DepthSceneTest()
  {
    host.LoadPlugins(BuiltPluginFolder());
    InitOS(const_cast<C4DOS*>(host.Table()));
    doc = BaseDocument::Alloc();
    rd = RenderData::Alloc();
    doc->InsertRenderData(rd);
    doc->SetActiveRenderData(rd);
  }
  ~DepthSceneTest() override { BaseDocument::Free(doc); }

  // A new object of type named name, last among the children of parent (top level when null).
  BaseObject* Add(Int32 type, const char* name, BaseObject* parent = nullptr)
  {
    BaseObject* op = BaseObject::Alloc(type);
    op->SetName(String(name));
    BaseObject* last = parent ? parent->GetDown() : doc->GetFirstObject();
    while (last && last->GetNext()) last = last->GetNext();
    doc->InsertObject(op, parent, last);
    return op;
  }

  static std::vector<std::string> Names(BaseObject* first)
  {
    std::vector<std::string> names;
    for (BaseObject* op = first; op; op = op->GetNext()) names.push_back(op->GetName().GetCString());
    return names;
  }
  std::vector<std::string> TopLevel() const { return Names(doc->GetFirstObject()); }

  // Sets the effect's exclusion list to objects.
  static void Exclude(BaseList2D* effect, const std::vector<BaseObject*>& objects)
  {
    GeData data;
    data.SetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST, nullptr);
    auto* list = static_cast<InExcludeData*>(data.GetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST));
    for (BaseObject* op : objects) list->InsertObject(op, 1);
    effect->GetDataInstance()->SetData(DOF_EXCLUDE, data);
  }

  static Float Real(const BaseList2D* node, Int32 id) { return node->GetDataInstance()->GetReal(id); }
  static Int32 Long(const BaseList2D* node, Int32 id) { return node->GetDataInstance()->GetLong(id); }

  lensara::Host host;
  BaseDocument* doc = nullptr;
  RenderData* rd = nullptr;
};
