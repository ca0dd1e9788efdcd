// The root object class and the comparable method pointer that events are made of.
#pragma once

#include <cstdint>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// A bound method: an object and one of its member functions taking (TObject* Sender).
// Unlike std::function it compares equal to another binding of the same member on the
// same object, which is what registration lists (add, remove one registration) need.
//
//   list.Add(TNotifyEvent::Of<&TEditor::SettingsChanged>(this));
//   if (OnChange) OnChange(this);
class TNotifyEvent {
public:
    using TCode = void (*)(void* Data, TObject* Sender);

    TNotifyEvent() = default;
    TNotifyEvent(TCode Code, void* Data) : FCode(Code), FData(Data) {}

    template <auto Method, class T>
    static TNotifyEvent Of(T* Obj) {
        return TNotifyEvent(&Thunk<Method, T>, Obj);
    }

    explicit operator bool() const { return FCode != nullptr; }
    void operator()(TObject* Sender) const {
        if (FCode) FCode(FData, Sender);
    }
    bool operator==(const TNotifyEvent& O) const { return FCode == O.FCode && FData == O.FData; }
    bool operator!=(const TNotifyEvent& O) const { return !(*this == O); }

    TCode Code() const { return FCode; }
    void* Data() const { return FData; }

private:
    template <auto Method, class T>
    static void Thunk(void* Data, TObject* Sender) {
        (static_cast<T*>(Data)->*Method)(Sender);
    }

    TCode FCode = nullptr;
    void* FData = nullptr;
};
