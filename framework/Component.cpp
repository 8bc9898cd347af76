#include "Component.h"

#include "SysUtils.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) {
    if (owner) {
        owner->Insert(this);
        if (owner->IsLoading())
            state_ |= csLoading;
    }
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    // Whoever asked for a notice hears of us once; their lists drop us.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->Remove(this);
}

void TComponent::Free(TComponent* component) {
    if (!component)
        return;
    if (!component->IsDestroying())
        component->BeforeDestruction();
    delete component;
}

void TComponent::BeforeDestruction() {
    state_ |= csDestroying;
}

void TComponent::DestroyComponents() {
    // Last created first: later components may refer to earlier ones.
    while (!components_.empty()) {
        TComponent* component = components_.back();
        components_.pop_back();
        component->owner_ = nullptr;
        Free(component);
    }
}

void TComponent::Insert(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    component->owner_ = nullptr;
    if (!IsDestroying())
        Notification(component, opRemove);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* component : components_)
        if (SameText(component->name_, name))
            return component;
    return nullptr;
}

void TComponent::SetName(const std::string& name) {
    name_ = name;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    // Mutual, so that whichever goes first tells the other.
    auto& theirs = other->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other)
        return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other), freeNotifies_.end());
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // Owned components hear about their siblings, as they may refer to them.
    const std::vector<TComponent*> snapshot = components_;
    for (TComponent* owned : snapshot)
        if (owned != component &&
            std::find(components_.begin(), components_.end(), owned) != components_.end())
            owned->Notification(component, operation);
}

void TComponent::BeginLoading() {
    state_ |= csLoading;
    for (TComponent* component : components_)
        component->state_ |= csLoading;
}

void TComponent::EndLoading() {
    const std::vector<TComponent*> snapshot = components_;
    for (TComponent* component : snapshot) {
        if (std::find(components_.begin(), components_.end(), component) == components_.end())
            continue;
        component->state_ &= ~csLoading;
        component->Loaded();
    }
    state_ &= ~csLoading;
    Loaded();
}

void TComponent::Loaded() {
    state_ &= ~csLoading;
}

const TPropertyInfo* TComponent::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TComponent::Name, &TComponent::SetName>("Name"),
        Prop<&TComponent::TagInt, &TComponent::SetTagInt>("Tag"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TPersistent::FindProperty(name);
}
