// Marks the functions that the platform runtime library exports to the
// capture plug-in, to its backends and to the tests.
#ifndef CAPTURE_MEDIA_EXPORT_H
#define CAPTURE_MEDIA_EXPORT_H

#if defined(_WIN32)
// The runtime's own build defines MEDIA_RUNTIME_BUILD. Callers are not told
// the functions are imported, so they call the import library's stubs: a
// call through the import table alone would let the linker drop the stubs
// that load the runtime when a test program imports it late.
#if defined(MEDIA_RUNTIME_BUILD)
#define MEDIA_API __declspec(dllexport)
#else
#define MEDIA_API
#endif
#else
#define MEDIA_API __attribute__((visibility("default")))
#endif

#endif
