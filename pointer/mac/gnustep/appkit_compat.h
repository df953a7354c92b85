// What GNUstep's AppKit lacks for the AppKit provider, declared so that the
// unchanged provider compiles against GNUstep. The build force-includes this
// header into the provider; appkit_compat.mm implements it.
#ifndef ZERLIN_POINTER_MAC_GNUSTEP_APPKIT_COMPAT_H_
#define ZERLIN_POINTER_MAC_GNUSTEP_APPKIT_COMPAT_H_

#import <AppKit/AppKit.h>

@interface NSWindow (ZerlinAppKitCompat)
// Screen to window coordinates, as -convertScreenToBase: does on GNUstep.
- (NSPoint)convertPointFromScreen:(NSPoint)point;
@end

#endif  // ZERLIN_POINTER_MAC_GNUSTEP_APPKIT_COMPAT_H_
