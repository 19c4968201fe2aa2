/* A small stand-in for one of the shared run-time libraries the product
 * ships. It exports a few functions so that it is a real, loadable DLL; its
 * version resource (runtime.rc) is what setup compares. */
#include <windows.h>

#ifndef RUNTIME_NAME
#define RUNTIME_NAME "RUNTIME"
#endif

static const char kBanner[] = RUNTIME_NAME " stand-in run-time library for the Halvorn sample product";

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

__declspec(dllexport) const char* RuntimeBanner(void) { return kBanner; }

__declspec(dllexport) int RuntimeVersion(void) { return RUNTIME_MAJOR * 100 + RUNTIME_MINOR; }

__declspec(dllexport) size_t RuntimeStrLen(const char* s) {
  size_t n = 0;
  while (s && s[n]) ++n;
  return n;
}
