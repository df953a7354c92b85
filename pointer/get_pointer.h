// The script function that the entry point registers as "getPointer". Each
// build links exactly one flow that defines it, chosen by ZERLIN_PLATFORM
// (pointer/CMakeLists.txt): get_pointer_win.cc answers at once (Windows),
// get_pointer_mac.cc answers a promise settled after the main thread has
// read AppKit (macOS), get_pointer_unavailable.cc answers an error (a build
// with no pointer probe).
#ifndef ZERLIN_POINTER_GET_POINTER_H_
#define ZERLIN_POINTER_GET_POINTER_H_

#include "addon/addon_api.h"

namespace zerlin {

extern const addon_callback kGetPointer;

}  // namespace zerlin

#endif  // ZERLIN_POINTER_GET_POINTER_H_
