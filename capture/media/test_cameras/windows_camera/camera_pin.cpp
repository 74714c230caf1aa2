#include "camera_pin.h"

#include "camera_filter.h"
#include "camera_format.h"
#include "one_item_enumerator.h"

namespace testcamera {

namespace {

const long kBuffers = 3;

AM_MEDIA_TYPE *cameraType(CameraFilter &) { return newCameraType(); }
using MediaTypeEnumerator = OneItemEnumerator<IEnumMediaTypes, &IID_IEnumMediaTypes, AM_MEDIA_TYPE *, cameraType>;

template <class Interface>
void release(Interface *&pointer) {
    if (pointer != nullptr) pointer->Release();
    pointer = nullptr;
}

// A copy of text from the task allocator, as callers of QueryId free it.
LPWSTR taskCopy(const wchar_t *text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto *copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy != nullptr) CopyMemory(copy, text, bytes);
    return copy;
}

} // namespace

const wchar_t CameraPin::kName[] = L"Capture";

CameraPin::~CameraPin() {
    pump_.stop();
    forgetConnection();
}

HRESULT CameraPin::QueryInterface(REFIID iid, void **out) {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) {
        *out = static_cast<IPin *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CameraPin::AddRef() { return filter_.AddRef(); }

ULONG CameraPin::Release() { return filter_.Release(); }

HRESULT CameraPin::Connect(IPin *receiver, const AM_MEDIA_TYPE *type) {
    if (receiver == nullptr) return E_POINTER;
    FilterLock lock(filter_);
    if (connected_ != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!matchesCameraType(type)) return VFW_E_TYPE_NOT_ACCEPTED;

    AM_MEDIA_TYPE ours;
    HRESULT result = describeCameraType(&ours);
    if (FAILED(result)) return result;
    result = receiver->ReceiveConnection(this, &ours);
    CoTaskMemFree(ours.pbFormat);
    if (FAILED(result)) return VFW_E_TYPE_NOT_ACCEPTED;

    IMemInputPin *input = nullptr;
    result = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void **>(&input));
    if (SUCCEEDED(result)) result = settleAllocator(input);
    if (FAILED(result)) {
        release(input);
        receiver->Disconnect();
        return result;
    }
    connected_ = receiver;
    connected_->AddRef();
    input_ = input;
    return S_OK;
}

HRESULT CameraPin::settleAllocator(IMemInputPin *input) {
    ALLOCATOR_PROPERTIES wanted{};
    input->GetAllocatorRequirements(&wanted);
    wanted.cBuffers = wanted.cBuffers > kBuffers ? wanted.cBuffers : kBuffers;
    wanted.cbBuffer = wanted.cbBuffer > kFrameBytes ? wanted.cbBuffer : kFrameBytes;
    wanted.cbAlign = wanted.cbAlign > 1 ? wanted.cbAlign : 1;

    IMemAllocator *candidates[2] = {nullptr, nullptr};
    input->GetAllocator(&candidates[0]);
    CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                     reinterpret_cast<void **>(&candidates[1]));
    HRESULT result = VFW_E_NO_ALLOCATOR;
    for (IMemAllocator *&candidate : candidates) {
        if (candidate == nullptr || allocator_ != nullptr) continue;
        ALLOCATOR_PROPERTIES actual{};
        if (SUCCEEDED(candidate->SetProperties(&wanted, &actual)) && actual.cbBuffer >= kFrameBytes &&
            SUCCEEDED(result = input->NotifyAllocator(candidate, FALSE))) {
            allocator_ = candidate;
            candidate = nullptr;
        }
    }
    release(candidates[0]);
    release(candidates[1]);
    return allocator_ != nullptr ? S_OK : result;
}

HRESULT CameraPin::ReceiveConnection(IPin *, const AM_MEDIA_TYPE *) { return E_UNEXPECTED; }

HRESULT CameraPin::Disconnect() {
    FilterLock lock(filter_);
    if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (connected_ == nullptr) return S_FALSE;
    forgetConnection();
    return S_OK;
}

void CameraPin::forgetConnection() {
    release(allocator_);
    release(input_);
    release(connected_);
}

HRESULT CameraPin::ConnectedTo(IPin **pin) {
    if (pin == nullptr) return E_POINTER;
    FilterLock lock(filter_);
    *pin = connected_;
    if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
    connected_->AddRef();
    return S_OK;
}

HRESULT CameraPin::ConnectionMediaType(AM_MEDIA_TYPE *type) {
    if (type == nullptr) return E_POINTER;
    FilterLock lock(filter_);
    if (connected_ == nullptr) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return describeCameraType(type);
}

HRESULT CameraPin::QueryPinInfo(PIN_INFO *info) {
    if (info == nullptr) return E_POINTER;
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = PINDIR_OUTPUT;
    CopyMemory(info->achName, kName, sizeof(kName));
    return S_OK;
}

HRESULT CameraPin::QueryDirection(PIN_DIRECTION *direction) {
    if (direction == nullptr) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

HRESULT CameraPin::QueryId(LPWSTR *id) {
    if (id == nullptr) return E_POINTER;
    *id = taskCopy(kName);
    return *id != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CameraPin::QueryAccept(const AM_MEDIA_TYPE *type) {
    return type != nullptr && matchesCameraType(type) ? S_OK : S_FALSE;
}

HRESULT CameraPin::EnumMediaTypes(IEnumMediaTypes **types) {
    if (types == nullptr) return E_POINTER;
    *types = new MediaTypeEnumerator(filter_);
    return S_OK;
}

HRESULT CameraPin::QueryInternalConnections(IPin **, ULONG *) { return E_NOTIMPL; }

// Calls that only ever travel downstream, never into an output pin.
HRESULT CameraPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT CameraPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT CameraPin::EndFlush() { return E_UNEXPECTED; }
HRESULT CameraPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return E_UNEXPECTED; }

HRESULT CameraPin::activate() { return connected_ != nullptr ? pump_.start(allocator_, input_) : S_OK; }

void CameraPin::setRunning(bool running) { pump_.setRunning(running); }

void CameraPin::deactivate() { pump_.stop(); }

} // namespace testcamera
