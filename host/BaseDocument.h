// Documents: objects, materials, render settings, the active camera and the time; and
// the render view that shows a document through its camera.
#pragma once

#include "BaseList2D.h"
#include "BaseMaterial.h"
#include "BaseObject.h"
#include "RenderData.h"

// A point in time, in seconds.
class BaseTime {
public:
  BaseTime() = default;
  explicit BaseTime(Float seconds) : seconds(seconds) {}
  Float Get() const { return seconds; }

private:
  Float seconds = 0.0;
};

class BaseDraw : public BaseList2D {
public:
  // The camera the view shows doc through: its active camera, or a default camera at
  // (0, 0, -1000) looking along +Z that doc owns. Null only when doc is null.
  BaseObject* GetSceneCamera(const BaseDocument* doc) const;
};

class BaseDocument : public BaseList2D {
public:
  // A new empty document owned by the caller; null when memory is short.
  static BaseDocument* Alloc();
  static void Free(BaseDocument*& doc) { FreeNode(doc); }
  // A deep, independent copy owned by the caller; null when memory is short.
  BaseDocument* GetClone(Int32 flags = 0) const;

  BaseObject* GetFirstObject() const;
  BaseMaterial* GetFirstMaterial() const;
  RenderData* GetFirstRenderData() const;
  // The first object of that name, depth first, or null.
  BaseObject* SearchObject(const String& name) const;

  // Inserts an object that is in no list under parent (null: at the top level) after
  // pred (null: first). With checknames, a name another object of the document has gets
  // the host's suffix (".1", ".2", ...) after the insertion.
  Bool InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred, Bool checknames = false);
  // Inserts a material or render settings that are in no list after pred (null: first);
  // with checknames as InsertObject, among the document's materials.
  Bool InsertMaterial(BaseMaterial* mat, BaseMaterial* pred = nullptr, Bool checknames = false);
  Bool InsertRenderData(RenderData* rd, RenderData* pred = nullptr);

  // The active render settings (null when there are none) and choosing them.
  RenderData* GetActiveRenderData() const;
  void SetActiveRenderData(RenderData* rd);
  // The active camera; null when the document renders through its default camera.
  BaseObject* GetActiveCamera() const;
  void SetActiveCamera(BaseObject* camera);
  BaseTime GetTime() const;
  void SetTime(const BaseTime& t);
  // The render view, owned by the document.
  BaseDraw* GetRenderBaseDraw() const;
};
