// The test platform's objects over the layer's reference counting: every
// object counts itself alive, so that a test sees what was never given
// back, and its final release is logged when it has a name.
#ifndef CAPTURE_TEST_PLATFORM_COUNTED_OBJECT_H
#define CAPTURE_TEST_PLATFORM_COUNTED_OBJECT_H

#include "com_object.h"
#include "platform_state.h"

#include <string>
#include <utility>

namespace testplatform {

template <class... Interfaces>
class CountedObject : public media::ComObject<Interfaces...> {
public:
    explicit CountedObject(std::string name = std::string()) : name_(std::move(name)) { ++state().live; }
    ~CountedObject() override {
        if (!name_.empty()) record("Release " + name_);
        --state().live;
    }

private:
    std::string name_;
};

template <class EnumInterface, class Item>
using Enumerator = media::Enumerator<EnumInterface, Item, CountedObject<EnumInterface>>;

using media::createAs;

} // namespace testplatform

#endif
