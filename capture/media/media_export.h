// Marks the functions that the platform runtime library exports to the
// capture plug-in, to its backends and to the tests.
#ifndef CAPTURE_MEDIA_EXPORT_H
#define CAPTURE_MEDIA_EXPORT_H

#define MEDIA_API __attribute__((visibility("default")))

#endif
