// The two C entry points that the host calls at load and unload time.
#ifndef ZERLIN_ADDON_ADDON_ENTRY_H_
#define ZERLIN_ADDON_ADDON_ENTRY_H_

#include "addon/addon_api.h"
#include "addon/addon_export.h"

extern "C" {

// Keeps the host's table and registers "getPointer" on `exports`. Returns
// `exports`, or null after reporting the failure through throw_error.
ZERLIN_EXPORT addon_value__* uxp_addon_init(addon_env__* env,
                                            addon_value__* exports,
                                            const addon_apis* apis);

// Makes no host call and cannot fail. It ends nothing either: the registry
// keeps the table until the library is unloaded, and each promise still
// outstanding is carried by boxes the host holds, which the host must run or
// finalise before it unloads the library.
ZERLIN_EXPORT void uxp_addon_terminate(addon_env__* env);

}  // extern "C"

#endif  // ZERLIN_ADDON_ADDON_ENTRY_H_
