#include "WinSkinStore.h"

#include "SysUtils.h"

#include <cstdint>
#include <stdexcept>

// ---- TSkinCollectionItem

TSkinCollectionItem::TSkinCollectionItem(TSkinCollection* collection)
    : collection_(collection), id_(collection->TakeNextID()), name_("SkinItem" + std::to_string(id_)) {
    collection->items_.emplace_back(this);
}

const TPropertyInfo* TSkinCollectionItem::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TSkinCollectionItem::Name, &TSkinCollectionItem::SetName>("Name"),
        Prop<&TSkinCollectionItem::SkinData, &TSkinCollectionItem::SetSkinData>("SkinData"),
        Prop<&TSkinCollectionItem::DataSize>("DataSize"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TPersistent::FindProperty(name);
}

int TSkinCollectionItem::Index() const {
    for (int i = 0; i < collection_->Count(); ++i) {
        if (collection_->Items(i) == this)
            return i;
    }
    return -1;
}

void TSkinCollectionItem::SetName(const std::string& name) {
    if (name == name_)
        return;
    for (int i = 0; i < collection_->Count(); ++i) {
        const TSkinCollectionItem* other = collection_->Items(i);
        if (other != this && other->name_ == name)
            throw Exception("The name " + name + " is already used.");
    }
    name_ = name;
}

void TSkinCollectionItem::ReadDataStream(TStream& value) {
    // Into a scratch stream first, so a failing read leaves the old skin in place.
    TMemoryStream fresh;
    fresh.LoadFromStream(value);
    data_.Clear();
    if (fresh.Size() > 0)
        data_.WriteBuffer(fresh.Memory(), fresh.Bytes().size());
    data_.SetPosition(0);
}

void TSkinCollectionItem::WriteDataStream(TStream& target) const {
    const std::vector<std::uint8_t>& bytes = data_.Bytes();
    if (!bytes.empty())
        target.WriteBuffer(bytes.data(), bytes.size());
}

void TSkinCollectionItem::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TSkinCollectionItem*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    SetName(other->name_);
    // The source's position is left as it was: it belongs to its item, not to us.
    data_.Clear();
    const std::vector<std::uint8_t>& bytes = other->data_.Bytes();
    if (!bytes.empty())
        data_.WriteBuffer(bytes.data(), bytes.size());
    data_.SetPosition(0);
}

// ---- TSkinCollection

TSkinCollectionItem* TSkinCollection::FindItemID(int id) const {
    for (const auto& item : items_) {
        if (item->ID() == id)
            return item.get();
    }
    return nullptr;
}

TSkinCollectionItem* TSkinCollection::Add() {
    return new TSkinCollectionItem(this); // adopted by items_ in its constructor
}

void TSkinCollection::Delete(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("TSkinCollection::Delete");
    items_.erase(items_.begin() + index);
}

void TSkinCollection::Clear() {
    items_.clear();
}

void TSkinCollection::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TSkinCollection*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Clear();
    for (const auto& item : other->items_)
        Add()->Assign(*item);
}

// ---- TSkinStore

TSkinStore::TSkinStore(TComponent* owner)
    : TComponent(owner), store_(std::make_unique<TSkinCollection>(this)) {}

const TPropertyInfo* TSkinStore::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        ObjectProp<static_cast<const TSkinCollection& (TSkinStore::*)() const>(&TSkinStore::Store)>("Store"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TComponent::FindProperty(name);
}

void TSkinStore::SetStore(const TSkinCollection* value) {
    if (value)
        store_->Assign(*value);
}

// ---- stored forms

void WriteSkinStream(TStream& target, const TMemoryStream& packed) {
    const std::vector<std::uint8_t>& bytes = packed.Bytes();
    if (bytes.size() > 0x7FFFFFFFu)
        throw EWriteError("A packed skin of 2 GiB or more cannot be stored");
    auto count = static_cast<std::uint32_t>(bytes.size());
    std::uint8_t header[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                              static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    target.WriteBuffer(header, sizeof header);
    if (!bytes.empty())
        target.WriteBuffer(bytes.data(), bytes.size());
}

bool ReadSkinStream(TStream& source, TMemoryStream& packed) {
    std::uint8_t header[4];
    source.ReadBuffer(header, sizeof header);
    auto count = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(header[0]) | (static_cast<std::uint32_t>(header[1]) << 8) |
        (static_cast<std::uint32_t>(header[2]) << 16) | (static_cast<std::uint32_t>(header[3]) << 24));
    if (count <= 0)
        return false;
    // The count comes from stored data: trust it only as far as the bytes behind it reach.
    std::int64_t left = source.Size() - source.Position();
    if (count > left)
        throw EReadError("Stream read error");
    std::vector<std::uint8_t> bytes(static_cast<size_t>(count));
    source.ReadBuffer(bytes.data(), bytes.size());
    packed.Clear();
    packed.WriteBuffer(bytes.data(), bytes.size());
    packed.SetPosition(0);
    return true;
}

namespace {

// RT_RCDATA in its ANSI form, whatever UNICODE says.
const char* const kRcData = MAKEINTRESOURCEA(10);

bool HasResource(HINSTANCE module, const std::string& name) {
    return FindResourceA(module, name.c_str(), kRcData) != nullptr;
}

} // namespace

int LoadSkinStoreResources(TSkinStore& store, HINSTANCE module) {
    int count = 0;
    for (;;) {
        std::string name = kSkinItemResourcePrefix + std::to_string(count);
        if (!HasResource(module, name))
            break;
        TResourceStream value(module, name.c_str(), kRcData);
        store.Store().Add()->ReadDataStream(value);
        ++count;
    }
    return count;
}

bool LoadSkinStreamResource(TMemoryStream& packed, HINSTANCE module) {
    if (!HasResource(module, kSkinStreamResource))
        return false;
    TResourceStream value(module, kSkinStreamResource, kRcData);
    return ReadSkinStream(value, packed);
}
