// The macOS pointer probe's decision logic, over a table of AppKit queries so
// that the same steps run over AppKit and over a scripted scene.
#ifndef ZERLIN_POINTER_MAC_POINTER_STATE_H_
#define ZERLIN_POINTER_MAC_POINTER_STATE_H_

#include "addon/value/value.h"
#include "pointer/mac/appkit_queries.h"

namespace zerlin::mac {

// Samples the pointer once through `appkit` (main thread only when that is
// AppKit) and answers a Map with exactly "x", "y" (downward from the first
// screen's top edge), "scale" (1.0), "active" and "viewClass" (the class
// name of the view under the pointer, "" when there is none).
Value PointerStateFrom(const AppKitQueries& appkit);

// Decides over the platform's table; on the main thread only.
Value pointerState();

}  // namespace zerlin::mac

#endif  // ZERLIN_POINTER_MAC_POINTER_STATE_H_
