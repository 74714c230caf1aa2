// One interface reference, given back with one Release when it goes.
#ifndef CAPTURE_COM_PTR_H
#define CAPTURE_COM_PTR_H

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(Interface *adopted) : pointer_(adopted) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;

    Interface *get() const { return pointer_; }
    Interface *operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Gives back the reference held, then offers the emptied slot to a call
    // that fills it, as out-pointers start null.
    Interface **out() {
        reset();
        return &pointer_;
    }
    void **outAsVoid() { return reinterpret_cast<void **>(out()); }

    void reset() {
        Interface *held = pointer_;
        pointer_ = nullptr;
        if (held != nullptr) held->Release();
    }
    // Hands the reference on to the caller.
    Interface *detach() {
        Interface *held = pointer_;
        pointer_ = nullptr;
        return held;
    }

private:
    Interface *pointer_ = nullptr;
};

#endif
