// Xlib's default error handler ends the process. A host may destroy its
// window under the preview at any time, after which requests about the
// preview's windows fail; errors about the windows listed here are
// dropped, every other error goes to the handler that was installed
// before. Any thread.
#ifndef CAPTURE_GSTREAMER_X11_ERROR_FILTER_H
#define CAPTURE_GSTREAMER_X11_ERROR_FILTER_H

namespace gstbackend {

// Installs the filter in front of the current handler, once per process.
void installX11ErrorFilter();
void ignoreX11ErrorsAbout(unsigned long resource);
void stopIgnoringX11ErrorsAbout(unsigned long resource);

} // namespace gstbackend

#endif
