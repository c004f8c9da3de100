// The host objects behind the function table's handles.
#pragma once

#include "Container.h"
#include "FunctionTable.h"
#include "Node.h"
#include "Value.h"
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

// The sections over documents, objects, materials and custom data, and the node and
// value functions they add to the older sections.
extern const HstDocumentTable kDocumentTable;
extern const HstObjectTable kObjectTable;
extern const HstMaterialTable kMaterialTable;
extern const HstCustomDataTable kCustomDataTable;

HstNode NodeAlloc(int32_t type);
void NodeFree(HstNode n);
HstNode NodeClone(HstNode n, int32_t flags);
HstNode NodeUp(HstNode n);
HstNode NodeNext(HstNode n);
HstNode NodePred(HstNode n);
HstNode NodeFirstIn(HstNode n, int32_t branch);
HstBool NodeInsert(HstNode owner, int32_t branch, HstNode n, HstNode pred);
HstBool NodeInsertAfter(HstNode n, HstNode pred);
void NodeRemove(HstNode n);
HstNode NodeDocument(HstNode n);
uint32_t NodeDirty(HstNode n);
void NodeMakeNameUnique(HstNode n);

void DataSetVector(HstData d, HstVector v);
void DataSetMatrix(HstData d, HstMatrix m);
HstVector DataGetVector(HstData d);
HstMatrix DataGetMatrix(HstData d);
void DataSetLink(HstData d, HstNode n);
HstNode DataGetLink(HstData d, HstNode doc);
void DataSetContainer(HstData d, HstContainer c);
HstContainer DataGetContainer(HstData d);
void DataSetInExclude(HstData d, HstInExclude l);
void DataSetGradient(HstData d, HstGradient g);
HstInExclude DataGetInExclude(HstData d);
HstGradient DataGetGradient(HstData d);

HstContainer ContainerGetContainerInstance(HstContainer c, int32_t key);
HstInExclude ContainerGetInExclude(HstContainer c, int32_t key);
HstGradient ContainerGetGradient(HstContainer c, int32_t key);

}  // namespace lensara
