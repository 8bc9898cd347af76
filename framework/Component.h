#pragma once
// Components: objects with an owner that frees them, a name, a tag, destruction
// notices, and a loading phase in which a form builds its fixed layout.

#include "Persistent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1,
    csReading = 2,
    csDestroying = 4,
    csDesigning = 8,
};

class TComponent : public TPersistent {
  public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_.at(static_cast<size_t>(index)); }
    const std::vector<TComponent*>& Components() const { return components_; }
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }
    int TagInt() const { return static_cast<int>(tag_); }
    void SetTagInt(int tag) { tag_ = tag; }

    unsigned ComponentState() const { return state_; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsReading() const { return (state_ & csReading) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }
    bool IsDesigning() const { return (state_ & csDesigning) != 0; }

    // `other` is told (Notification opRemove) when this component goes away.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // A root (a form) builds its layout between these two; EndLoading then
    // runs Loaded() of every owned component in creation order, then its own.
    void BeginLoading();
    void EndLoading();

    // Frees the component the way owners do: BeforeDestruction while the
    // whole object still exists, then the destructor.
    static void Free(TComponent* component);

  protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded();
    // Runs before any destructor: the object is still whole here.
    virtual void BeforeDestruction();
    void SetState(unsigned flags) { state_ |= flags; }
    void ClearState(unsigned flags) { state_ &= ~flags; }

  private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void DestroyComponents();

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    std::intptr_t tag_ = 0;
    unsigned state_ = 0;
};

// unique_ptr for components that have no owner.
struct TComponentDeleter {
    void operator()(TComponent* component) const { TComponent::Free(component); }
};
template <class T> using TOwnedComponent = std::unique_ptr<T, TComponentDeleter>;

template <class T, class... Args> TOwnedComponent<T> MakeComponent(Args&&... args) {
    return TOwnedComponent<T>(new T(std::forward<Args>(args)...));
}
