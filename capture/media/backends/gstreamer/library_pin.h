// Keeps the shared library that holds some code or data loaded for the
// rest of the process, whatever its host unloads: streaming threads may
// still call into it. Any thread.
#ifndef CAPTURE_GSTREAMER_LIBRARY_PIN_H
#define CAPTURE_GSTREAMER_LIBRARY_PIN_H

namespace gstbackend {

// Nothing happens for an address outside every shared library.
void pinLibraryHolding(const void *address);

} // namespace gstbackend

#endif
