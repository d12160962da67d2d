#ifndef vSanitizerSupport_h
#define vSanitizerSupport_h

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

/**
 * For builds with AddressSanitizer only (a no-op otherwise): the OpenGL driver is loaded when a
 * program first draws and unloaded when its display closes; what it keeps for the process is then
 * reported as leaked from an unknown place, which no suppression can name. Loaded here for good
 * (the loader keeps one copy), its allocations keep their library's name and the suppressions of
 * testing/sanitizers/lsan.supp apply. Called first thing by the programs that may draw.
 */
inline void vKeepOpenGLDriverLoadedForSanitizers()
{
#if defined(__SANITIZE_ADDRESS__)
  for (const char* library : { "libGLX_mesa.so.0",
         "libglapi.so.0",
         "libEGL_mesa.so.0",
         "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so" })
  {
    dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE); // one that is missing is not needed
  }
#endif
}

#endif
