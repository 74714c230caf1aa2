#include "camera_filter.h"

#include "com_object.h"
#include "one_item_enumerator.h"

namespace testcamera {

const CLSID CLSID_TestCamera = {0x04A1550C, 0x627C, 0x4086, {0xBF, 0xCA, 0xE6, 0xD7, 0x6B, 0x3F, 0xCD, 0x8C}};

namespace {

IPin *countedPin(CameraFilter &filter) {
    filter.pin().AddRef();
    return &filter.pin();
}
using PinEnumerator = OneItemEnumerator<IEnumPins, &IID_IEnumPins, IPin *, countedPin>;

} // namespace

CameraFilter::CameraFilter() : pin_(*this) {
    InitializeCriticalSection(&lock_);
    ++serverUsers;
}

CameraFilter::~CameraFilter() {
    if (clock_ != nullptr) clock_->Release();
    DeleteCriticalSection(&lock_);
    --serverUsers;
}

HRESULT CameraFilter::create(REFIID iid, void **out) {
    auto *filter = new CameraFilter();
    HRESULT result = filter->QueryInterface(iid, out);
    filter->Release();
    return result;
}

HRESULT CameraFilter::QueryInterface(REFIID iid, void **out) {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IBaseFilter)) {
        *out = static_cast<IBaseFilter *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CameraFilter::AddRef() { return ++references_; }

ULONG CameraFilter::Release() {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT CameraFilter::GetClassID(CLSID *clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_TestCamera;
    return S_OK;
}

HRESULT CameraFilter::Stop() {
    FilterLock lock(*this);
    if (state_ != State_Stopped) pin_.deactivate();
    state_ = State_Stopped;
    return S_OK;
}

HRESULT CameraFilter::Pause() { return becomeActive(State_Paused); }

HRESULT CameraFilter::Run(REFERENCE_TIME) { return becomeActive(State_Running); }

HRESULT CameraFilter::becomeActive(FILTER_STATE state) {
    FilterLock lock(*this);
    if (state_ == State_Stopped) {
        HRESULT result = pin_.activate();
        if (FAILED(result)) return result;
    }
    pin_.setRunning(state == State_Running);
    state_ = state;
    return S_OK;
}

HRESULT CameraFilter::GetState(DWORD, FILTER_STATE *state) {
    if (state == nullptr) return E_POINTER;
    FilterLock lock(*this);
    *state = state_;
    // A live source has nothing to show before it runs.
    return state_ == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

HRESULT CameraFilter::SetSyncSource(IReferenceClock *clock) {
    FilterLock lock(*this);
    if (clock != nullptr) clock->AddRef();
    if (clock_ != nullptr) clock_->Release();
    clock_ = clock;
    return S_OK;
}

HRESULT CameraFilter::GetSyncSource(IReferenceClock **clock) {
    if (clock == nullptr) return E_POINTER;
    FilterLock lock(*this);
    *clock = clock_;
    if (clock_ != nullptr) clock_->AddRef();
    return S_OK;
}

HRESULT CameraFilter::EnumPins(IEnumPins **pins) {
    if (pins == nullptr) return E_POINTER;
    *pins = new PinEnumerator(*this);
    return S_OK;
}

HRESULT CameraFilter::FindPin(LPCWSTR id, IPin **pin) {
    if (id == nullptr || pin == nullptr) return E_POINTER;
    if (wcscmp(id, CameraPin::kName) != 0) {
        *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    *pin = countedPin(*this);
    return S_OK;
}

HRESULT CameraFilter::QueryFilterInfo(FILTER_INFO *info) {
    if (info == nullptr) return E_POINTER;
    FilterLock lock(*this);
    CopyMemory(info->achName, name_, sizeof(name_));
    info->pGraph = graph_;
    if (graph_ != nullptr) graph_->AddRef();
    return S_OK;
}

HRESULT CameraFilter::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
    FilterLock lock(*this);
    graph_ = graph;
    ZeroMemory(name_, sizeof(name_));
    if (name != nullptr) {
        size_t length = wcslen(name);
        if (length >= MAX_FILTER_NAME) length = MAX_FILTER_NAME - 1;
        CopyMemory(name_, name, length * sizeof(WCHAR));
    }
    return S_OK;
}

HRESULT CameraFilter::QueryVendorInfo(LPWSTR *) { return E_NOTIMPL; }

} // namespace testcamera
