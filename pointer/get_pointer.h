// The script function that the entry point registers as "getPointer". Each
// deliverable links exactly one flow that defines it: synchronous (Windows),
// promise (macOS) or unavailable (a build with no pointer probe).
#ifndef ZERLIN_POINTER_GET_POINTER_H_
#define ZERLIN_POINTER_GET_POINTER_H_

#include "addon/addon_api.h"

namespace zerlin {

extern const addon_callback kGetPointer;

}  // namespace zerlin

#endif  // ZERLIN_POINTER_GET_POINTER_H_
