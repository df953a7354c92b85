// Marks the library's two entry points for export; everything else is hidden.
#ifndef ZERLIN_ADDON_ADDON_EXPORT_H_
#define ZERLIN_ADDON_ADDON_EXPORT_H_

#if defined(_WIN32)
#define ZERLIN_EXPORT __declspec(dllexport)
#else
#define ZERLIN_EXPORT __attribute__((visibility("default")))
#endif

#endif  // ZERLIN_ADDON_ADDON_EXPORT_H_
