// Reference counting shared by the test platform's objects, and a plain
// enumerator. Every object counts itself alive, and its final release is
// logged when it has a name.
#ifndef CAPTURE_TEST_PLATFORM_COM_OBJECT_H
#define CAPTURE_TEST_PLATFORM_COM_OBJECT_H

#include "platform_state.h"

#include <string>
#include <utility>
#include <vector>

namespace testplatform {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    explicit ComObject(std::string name = std::string()) : name_(std::move(name)) { ++state().live; }
    virtual ~ComObject() {
        if (!name_.empty()) record("Release " + name_);
        --state().live;
    }
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
    HRESULT refuse(void **out) {
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> references_{1};
    std::string name_;
};

// Makes one object and answers it as iid, as a class factory does.
template <class Object, class... Arguments>
HRESULT createAs(REFIID iid, void **out, Arguments &&...arguments) {
    Object *object = new Object(std::forward<Arguments>(arguments)...);
    HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

// Walks a fixed list, handing out a reference to each item.
template <class EnumInterface, class Item>
class Enumerator : public ComObject<EnumInterface> {
public:
    Enumerator(const IID &iid, std::vector<Item *> items) : iid_(iid), items_(std::move(items)) {
        for (Item *item : items_) item->AddRef();
    }
    ~Enumerator() override {
        for (Item *item : items_) item->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == iid_) return this->answer(this, out);
        return this->refuse(out);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item **out, ULONG *fetched) override {
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
        return next_ <= items_.size() ? S_OK : S_FALSE;
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

} // namespace testplatform

#endif
