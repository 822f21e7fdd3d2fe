#pragma once
// A second base of windows whose creator keeps a pointer to them: when the
// window goes, that pointer is set to null, so the creator's reference never
// dangles. Nothing is deleted through it.
template <class Window>
class ThisPtr {
public:
    // The creator's member that holds this window.
    void setOwnerPointer(Window** member) { ownerPointer_ = member; }
    Window** ownerPointer() const { return ownerPointer_; }

protected:
    ThisPtr() = default;
    ~ThisPtr() {
        if (ownerPointer_) *ownerPointer_ = nullptr;
    }
    ThisPtr(const ThisPtr&) = delete;
    ThisPtr& operator=(const ThisPtr&) = delete;

private:
    Window** ownerPointer_ = nullptr;
};
