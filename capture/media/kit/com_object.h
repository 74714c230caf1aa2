// Reference counting shared by a backend's objects, and an enumerator over
// a fixed list of interface pointers. Any thread.
#ifndef CAPTURE_MEDIA_COM_OBJECT_H
#define CAPTURE_MEDIA_COM_OBJECT_H

#include "direct_show.h"

#include <atomic>
#include <utility>
#include <vector>

namespace media {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Hands out this object as one of its interfaces, with a reference.
    HRESULT answer(IUnknown *asInterface, void **out) {
        *out = asInterface;
        AddRef();
        return S_OK;
    }
    static HRESULT refuse(void **out) {
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> references_{1};
};

// Makes one object and answers it as iid, as a class factory does.
template <class Object, class... Arguments>
HRESULT createAs(REFIID iid, void **out, Arguments &&...arguments) {
    Object *object = new Object(std::forward<Arguments>(arguments)...);
    HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

// Walks a fixed list, handing out a reference to each item. Adopts the
// references the list holds. Object is the backend's own kind of
// ComObject<EnumInterface>, for a backend that keeps count of its objects.
template <class EnumInterface, class Item, class Object = ComObject<EnumInterface>>
class Enumerator : public Object {
public:
    Enumerator(const IID &iid, std::vector<Item *> items) : iid_(iid), items_(std::move(items)) {}
    ~Enumerator() override {
        for (Item *item : items_) item->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == iid_) return this->answer(this, out);
        return this->refuse(out);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item **out, ULONG *fetched) override {
        if (out == nullptr) return E_POINTER;
        ULONG given = 0;
        for (; given < count && next_ < items_.size(); ++given, ++next_) {
            out[given] = items_[next_];
            out[given]->AddRef();
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        if (next_ <= items_.size()) return S_OK;
        next_ = items_.size();
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(EnumInterface **) override { return E_NOTIMPL; }

private:
    const IID iid_;
    std::vector<Item *> items_;
    size_t next_ = 0;
};

} // namespace media

#endif
