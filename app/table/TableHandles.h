// The host objects behind the function table's handles, and the few lookups through them
// that more than one section makes.
#pragma once

#include "app/core/Bitmap.h"
#include "app/core/Container.h"
#include "app/core/Document.h"
#include "app/core/Guarded.h"
#include "app/core/MultipassBitmap.h"
#include "app/core/Node.h"
#include "app/core/StringHandles.h"
#include "app/core/Value.h"
#include "host/abi/C4DOS.h"

namespace lensara {

inline Container* C(HstContainer c) { return reinterpret_cast<Container*>(c); }
inline HstContainer ToHandle(Container* c) { return reinterpret_cast<HstContainer>(c); }
inline Value* V(HstData d) { return reinterpret_cast<Value*>(d); }
inline HstData ToHandle(Value* v) { return reinterpret_cast<HstData>(v); }
inline Node* N(HstNode n) { return Node::FromHandle(n); }
inline HstNode ToHandle(Node* n) { return n ? n->Handle() : nullptr; }
inline InExclude* L(HstInExclude l) { return reinterpret_cast<InExclude*>(l); }
inline HstInExclude ToHandle(InExclude* l) { return reinterpret_cast<HstInExclude>(l); }
inline Gradient* G(HstGradient g) { return reinterpret_cast<Gradient*>(g); }
inline HstGradient ToHandle(Gradient* g) { return reinterpret_cast<HstGradient>(g); }
inline Bitmap* B(HstBitmap b) { return Bitmap::FromHandle(b); }

inline Document* DocumentOf(HstNode n) { return n ? N(n)->GetDocument() : nullptr; }

// The node of that identity in doc's document, or null.
inline HstNode Resolve(Identity target, HstNode doc)
{
  Document* d = DocumentOf(doc);
  return d && target ? ToHandle(d->Resolve(target)) : nullptr;
}

// A layer of a multipass bitmap belongs to it: it is neither freed nor resized alone.
inline bool IsOwnedLayer(HstBitmap b)
{
  const Layer* layer = b ? dynamic_cast<Layer*>(B(b)) : nullptr;
  return layer && layer->Owned();
}

// Sets key of c to a copy of v (none when v is null); false when memory runs short.
inline HstBool SetData(Container& c, int32_t key, HstData v)
{
  return Guarded([&] { return (c.Set(key, v ? *V(v) : Value()), true); }, false);
}

// Copies key of c into out (when given); false when c has no such key or memory runs short.
inline HstBool GetData(const Container& c, int32_t key, HstData out)
{
  const Value* v = c.Find(key);
  if (!v) return false;
  return !out || Guarded([&] { return (*V(out) = *v, true); }, false);
}

}  // namespace lensara
