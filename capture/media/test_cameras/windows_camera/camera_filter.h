// The test camera's source filter: one output pin streaming the pattern,
// and the filter states a graph drives it through. A live source: it sends
// frames only while running, so a paused graph cannot cue it. Any thread.
#ifndef WINDOWS_CAMERA_CAMERA_FILTER_H
#define WINDOWS_CAMERA_CAMERA_FILTER_H

#include "camera_pin.h"

#include <dshow.h>

#include <atomic>

namespace testcamera {

// {04A1550C-627C-4086-BFCA-E6D76B3FCD8C}
extern const CLSID CLSID_TestCamera;

class CameraFilter final : public IBaseFilter {
public:
    // A new filter answered as iid, as the class factory hands it out.
    static HRESULT create(REFIID iid, void **out);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeout, FILTER_STATE *state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock *clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock **clock) override;

    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin **pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO *info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR *info) override;

    // Under the lock.
    FILTER_STATE state() const { return state_; }
    CameraPin &pin() { return pin_; }

private:
    friend class FilterLock;
    CameraFilter();
    ~CameraFilter();
    CameraFilter(const CameraFilter &) = delete;
    CameraFilter &operator=(const CameraFilter &) = delete;
    // Paused or running: the pin made ready when leaving the stopped state,
    // frames pushed only while running.
    HRESULT becomeActive(FILTER_STATE state);

    std::atomic<ULONG> references_{1};
    // Guards the state, the clock, the graph and the pin's connection.
    CRITICAL_SECTION lock_;
    FILTER_STATE state_ = State_Stopped;
    IReferenceClock *clock_ = nullptr;
    IFilterGraph *graph_ = nullptr; // not counted: the graph holds the filter
    WCHAR name_[MAX_FILTER_NAME] = {};
    CameraPin pin_;
};

// Holds the filter's lock for a scope.
class FilterLock {
public:
    explicit FilterLock(CameraFilter &filter) : lock_(filter.lock_) { EnterCriticalSection(&lock_); }
    ~FilterLock() { LeaveCriticalSection(&lock_); }
    FilterLock(const FilterLock &) = delete;
    FilterLock &operator=(const FilterLock &) = delete;

private:
    CRITICAL_SECTION &lock_;
};

} // namespace testcamera

#endif
