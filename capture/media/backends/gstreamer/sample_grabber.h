// The sample grabber: a filter that passes video through unchanged and
// hands every frame, as RGB24 with rows top-down (as GStreamer lays them;
// the connected type says so with a negative height) and each row padded
// to a multiple of 4 bytes, to the registered callback's BufferCB on the
// streaming thread, with the frame's running time in seconds.
#ifndef CAPTURE_GSTREAMER_SAMPLE_GRABBER_H
#define CAPTURE_GSTREAMER_SAMPLE_GRABBER_H

#include "element_filter.h"
#include "media_types.h"

#include <gst/video/video.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace gstbackend {

class SampleGrabber : public ElementFilter<ISampleGrabber> {
public:
    SampleGrabber();
    ~SampleGrabber() override;

    // Any thread.
    HRESULT STDMETHODCALLTYPE SetOneShot(BOOL oneShot) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE *type) override;
    // The negotiated size once frames flow; before that, and while a new
    // size is on its way, the one size the elements upstream now produce,
    // and VFW_E_NOT_CONNECTED when they leave it open. A pure getter:
    // frames flow on whatever it answers.
    HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL bufferThem) override;
    HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample **) override { return E_NOTIMPL; }
    // Buffers only (1); the callback's SampleCB is never called.
    HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB *callback, LONG whichMethod) override;

protected:
    HRESULT queryExtra(REFIID riid, void **out) override;

private:
    static GstPadProbeReturn onData(GstPad *pad, GstPadProbeInfo *info, gpointer self);
    // Streaming thread.
    void takeCaps(GstCaps *caps);
    // Waits, briefly, until frames of that size come, should it be new.
    void awaitFramesOfSize(const VideoSize &size);
    void deliver(GstBuffer *buffer);
    double secondsOf(GstClockTime time) const;

    GstElement *filter_; // the caps filter inside the grabber's bin
    GstPad *input_;      // the bin's sink pad

    std::mutex callbackMutex_; // held while the callback runs
    ISampleGrabberCB *callback_ = nullptr;

    std::mutex sizeMutex_;
    std::condition_variable sizeSeen_;
    VideoSize seen_; // of the last caps that reached the probe

    // Streaming thread only.
    GstVideoInfo info_;
    bool haveInfo_ = false;
    GstSegment segment_;
    std::vector<uint8_t> frame_; // a gathered frame, sized when caps arrive
};

} // namespace gstbackend

#endif
