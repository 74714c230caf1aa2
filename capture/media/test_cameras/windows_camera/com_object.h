// Reference counting for the camera server's small COM objects, and the
// count of live objects and locks that tells whether the DLL may unload.
// Any thread.
#ifndef WINDOWS_CAMERA_COM_OBJECT_H
#define WINDOWS_CAMERA_COM_OBJECT_H

#include <dshow.h>

#include <atomic>

namespace testcamera {

// Objects alive plus IClassFactory::LockServer locks.
inline std::atomic<long> serverUsers{0};

// One object serving a single interface besides IUnknown.
template <class Interface, const IID *InterfaceId>
class ComObject : public Interface {
public:
    ComObject() { ++serverUsers; }
    virtual ~ComObject() { --serverUsers; }
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, *InterfaceId)) {
            *out = static_cast<Interface *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

} // namespace testcamera

#endif
