#pragma once
// The skin store: a component holding a collection of packed skins, and the stored forms in
// which packed skins travel inside the program ("DataStream" of a store item, "SkinStream" of
// the skin component).

#include "Component.h"
#include "Streams.h"

#include <memory>
#include <string>
#include <vector>

class TSkinCollection;
class TSkinStore;

class TSkinCollectionItem : public TPersistent {
  public:
    // Adds itself to collection and takes the name "SkinItem<ID>".
    explicit TSkinCollectionItem(TSkinCollection* collection);
    const char* ClassName() const override { return "TSkinCollectionItem"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TSkinCollection* Collection() const { return collection_; }
    int ID() const { return id_; }
    int Index() const;

    const std::string& Name() const { return name_; }
    // Raises Exception "The name X is already used." when another item of the collection has
    // exactly that name; the old name stays then.
    void SetName(const std::string& name);
    std::string DisplayName() const { return name_; }
    // A design-time button only: reads "Load Skin", ignores writes.
    std::string SkinData() const { return "Load Skin"; }
    void SetSkinData(const std::string&) {}
    int DataSize() const { return static_cast<int>(data_.Bytes().size()); }

    // The packed skin. Callers seek it to 0 before copying it.
    TMemoryStream& DataStream() { return data_; }
    const TMemoryStream& DataStream() const { return data_; }
    // The "DataStream" binary property: the packed skin byte for byte. Reading replaces the
    // packed skin by the whole of value (from its start).
    void ReadDataStream(TStream& value);
    void WriteDataStream(TStream& target) const;

    // Copies the name and the packed skin of another item.
    void Assign(const TPersistent& source) override;

  private:
    TSkinCollection* collection_;
    int id_;
    std::string name_;
    TMemoryStream data_;
};

class TSkinCollection : public TPersistent {
  public:
    explicit TSkinCollection(TSkinStore* owner) : owner_(owner) {}
    const char* ClassName() const override { return "TSkinCollection"; }

    TSkinStore* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TSkinCollectionItem* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
    TSkinCollectionItem* FindItemID(int id) const;
    TSkinCollectionItem* Add();
    void Delete(int index);
    void Clear();
    // Replaces the items by copies of the source collection's items.
    void Assign(const TPersistent& source) override;

  private:
    friend class TSkinCollectionItem;
    int TakeNextID() { return nextId_++; }

    TSkinStore* owner_;
    std::vector<std::unique_ptr<TSkinCollectionItem>> items_;
    int nextId_ = 0;
};

class TSkinStore : public TComponent {
  public:
    explicit TSkinStore(TComponent* owner);
    const char* ClassName() const override { return "TSkinStore"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TSkinCollection& Store() { return *store_; }
    const TSkinCollection& Store() const { return *store_; }
    // Copies the items of value; null is ignored.
    void SetStore(const TSkinCollection* value);

  private:
    std::unique_ptr<TSkinCollection> store_;
};

// The skin component's "SkinStream" binary property: a signed 32-bit count C, then C bytes of
// packed skin when C > 0.
void WriteSkinStream(TStream& target, const TMemoryStream& packed);
// Reads C; when C > 0 replaces packed by the C bytes (positioned at 0) and returns true: the
// caller unpacks it. C <= 0 reads nothing more and leaves packed as it was. A count larger than
// the bytes left raises EReadError without touching packed or allocating C bytes.
bool ReadSkinStream(TStream& source, TMemoryStream& packed);

// The packed skins built into the program: RCDATA resources "SkinItem0", "SkinItem1", ... (in
// that order, up to the first missing number) hold the store items' "DataStream" values, and
// RCDATA "SkinStream" the skin component's own copy in its "SkinStream" form.
inline constexpr const char* kSkinItemResourcePrefix = "SkinItem";
inline constexpr const char* kSkinStreamResource = "SkinStream";

// Adds one item per "SkinItem<n>" resource of module to store; returns how many.
int LoadSkinStoreResources(TSkinStore& store, HINSTANCE module);
// Reads the "SkinStream" resource of module as ReadSkinStream does; false when it is missing
// or holds no packed skin.
bool LoadSkinStreamResource(TMemoryStream& packed, HINSTANCE module);
