// An enumerator of exactly one item: the camera's one pin, or its one media
// type. Make hands out a new item (a counted pin, an allocated type) each
// time the walk passes it. Any thread.
#ifndef WINDOWS_CAMERA_ONE_ITEM_ENUMERATOR_H
#define WINDOWS_CAMERA_ONE_ITEM_ENUMERATOR_H

#include "camera_filter.h"
#include "com_object.h"

namespace testcamera {

template <class Enum, const IID *EnumId, class Item, Item (*Make)(CameraFilter &)>
class OneItemEnumerator : public ComObject<Enum, EnumId> {
public:
    // Keeps the filter alive while the walk may still hand out its items.
    explicit OneItemEnumerator(CameraFilter &filter, ULONG position = 0) : filter_(filter), position_(position) {
        filter_.AddRef();
    }
    ~OneItemEnumerator() override { filter_.Release(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item *items, ULONG *fetched) override {
        if (items == nullptr || (fetched == nullptr && count != 1)) return E_POINTER;
        ULONG given = 0;
        for (; given < count && position_ < 1; ++given, ++position_) items[given] = Make(filter_);
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        ULONG left = 1 - position_;
        position_ = count < left ? position_ + count : 1;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum **copy) override {
        if (copy == nullptr) return E_POINTER;
        *copy = new OneItemEnumerator(filter_, position_);
        return S_OK;
    }

private:
    CameraFilter &filter_;
    ULONG position_;
};

} // namespace testcamera

#endif
