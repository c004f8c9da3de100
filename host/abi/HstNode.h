/* Nodes (C4DAtom, GeListNode, BaseList2D and every kind built on them). */
#ifndef LENSARA_HST_NODE_H
#define LENSARA_HST_NODE_H

#include "HstHandles.h"

typedef struct HstNodeTable {
  /* The node's type id (object, tag, material or plug-in id). */
  int32_t (*type)(HstNode n);
  /* The node's live data container, owned by the node and valid while it lives. */
  HstContainer (*data)(HstNode n);
  /* Copies the node's name into out. */
  void (*get_name)(HstNode n, HstString out);
  void (*set_name)(HstNode n, const char* utf8);
  /* Sends message type to the node; its plug-in, if any, answers. data belongs to the
     sender. Returns the node's answer. */
  HstBool (*message)(HstNode n, int32_t type, void* data);
  /* Writes or reads the parameter id of the node; flags 0. False when the node cannot
     take or give it. */
  HstBool (*set_parameter)(HstNode n, const HstDescID* id, HstData v, int32_t flags);
  HstBool (*get_parameter)(HstNode n, const HstDescID* id, HstData out, int32_t flags);
} HstNodeTable;

#endif
