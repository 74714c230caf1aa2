#include "test_objects.h"

namespace testplatform {

HRESULT Pin::QueryInterface(REFIID riid, void **out) {
    if (riid == IID_IUnknown || riid == IID_IPin) return answer(this, out);
    return refuse(out);
}

HRESULT Pin::QueryDirection(PIN_DIRECTION *direction) {
    *direction = role_ == PinRole::GrabberInput ? PINDIR_INPUT : PINDIR_OUTPUT;
    return S_OK;
}

IEnumPins *newPinEnumerator(const std::vector<PinRole> &roles) {
    std::vector<IPin *> pins;
    for (PinRole role : roles) pins.push_back(new Pin(role));
    return new Enumerator<IEnumPins, IPin>(IID_IEnumPins, std::move(pins));
}

} // namespace testplatform
