// The Windows pointer probe: one sample of the cursor, the window under it
// and the state of that window's top-level window, as a Value map with "x",
// "y", "scale" and "active".
#ifndef ZERLIN_POINTER_WIN_POINTER_STATE_H_
#define ZERLIN_POINTER_WIN_POINTER_STATE_H_

#include "addon/value/value.h"
#include "pointer/win/window_queries.h"

namespace zerlin::win {

// Decides over `queries`. Throws only when memory runs out.
Value PointerStateFrom(const WindowQueries& queries);

// Decides over the platform's table.
Value pointerState();

}  // namespace zerlin::win

#endif  // ZERLIN_POINTER_WIN_POINTER_STATE_H_
