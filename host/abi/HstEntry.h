/* The plug-in's entry, c4d_main, the one function a plug-in library exports: the actions
   the host calls it with and the answers it gives. */
#ifndef LENSARA_HST_ENTRY_H
#define LENSARA_HST_ENTRY_H

/* The entry's name in the library and its type. p1, p2 and p3 depend on the action. */
#define HST_ENTRY_NAME "c4d_main"
typedef int (*HstEntry)(int action, void* p1, void* p2, void* p3);

enum {
  /* p1 the host table (C4DOS), p3 the plug-in's folder (HstFilename). Starts nest: only the
     first binds the table, and only the matching last end ends the plug-in. */
  HST_ACTION_START = 1,
  /* The plug-in registers its classes. */
  HST_ACTION_REGISTER = 2,
  /* Before the library is unloaded. */
  HST_ACTION_END = 3,
  /* What the plug-in answers about itself; the answer is the plug-in's own. */
  HST_ACTION_QUERY = 4,
  /* A message: p1 the message id (its low 32 bits), p2 its data. */
  HST_ACTION_MESSAGE = 6
};

/* Messages of HST_ACTION_MESSAGE: an acknowledgement the host asks for, and the plug-in
   loading its resources. */
enum { HST_ENTRY_MSG_ACKNOWLEDGE = 0, HST_ENTRY_MSG_LOAD_RESOURCES = 1 };

enum {
  HST_ENTRY_OK = 1,
  /* The action failed (register). */
  HST_ENTRY_FAILED = 0,
  /* An action or message the plug-in does not handle, or a message that failed. */
  HST_ENTRY_NOT_HANDLED = -1,
  /* Start refused: the host is older than the plug-in serves, or gave no table or folder. */
  HST_ENTRY_REFUSED = -3
};

#endif
