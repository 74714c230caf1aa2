// The DV decoder the graph inserts for a DV device: dvdec, which decodes
// only at full size, then a scaler and a caps filter whose size is the
// chosen display resolution. Changing the size changes the caps filter;
// a frame or two of the old size may still pass on the way.
#ifndef CAPTURE_GSTREAMER_DV_DECODER_H
#define CAPTURE_GSTREAMER_DV_DECODER_H

#include "element_filter.h"

#include <mutex>

namespace gstbackend {

class DvDecoder : public ElementFilter<IIPDVDec> {
public:
    // Null when the decoder's elements are not installed.
    static DvDecoder *create();

    // Any thread.
    HRESULT STDMETHODCALLTYPE get_IPDisplay(int *displayPix) override;
    HRESULT STDMETHODCALLTYPE put_IPDisplay(int displayPix) override;

protected:
    HRESULT queryExtra(REFIID riid, void **out) override;

private:
    DvDecoder(GstElement *bin, GstElement *sizeFilter);
    GstElement *const sizeFilter_; // owned by the bin
    std::mutex mutex_;
    int display_ = DVRESOLUTION_FULL;
};

} // namespace gstbackend

#endif
