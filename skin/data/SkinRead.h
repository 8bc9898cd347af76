#pragma once
// The skin archive reader: unpacks a packed skin and hands out its files by name. The format
// and its limits are in SkinArchive.h; this class puts them on the toolkit's streams.

#include "SkinArchive.h"
#include "Streams.h"
#include "StringList.h"

#include <cstdint>
#include <string>
#include <vector>

class TSkinReader : public TObject {
  public:
    TSkinReader() = default;
    const char* ClassName() const override { return "TSkinReader"; }

    // Unpacks the packed skin (read from position 0) and reads its archive. On failure shows
    // the problem in a message box ("This is Older Skin File..." for an unlisted version),
    // holds no entries and returns false.
    bool ReadArchive(TStream& packed);
    // The same without the message box; error receives the text the box would show.
    bool ReadArchive(TStream& packed, std::string& error);

    // Clears target; the first entry named name (compared in lower case) is written to it and
    // target is seeked to 0. No such entry leaves target empty.
    void ExtractFile(const std::string& name, TMemoryStream& target) const;
    // Clears target; the first entry whose name contains fragment is copied into it (target
    // seeked to 0) and its name returned in entryName. False, target empty and entryName
    // empty when no name contains it.
    bool ExtractFileContaining(const std::string& fragment, TMemoryStream& target,
                               std::string& entryName) const;

    std::uint32_t Version() const { return archive_.Version; }
    std::int32_t NameListLength() const { return archive_.NameListLength; }
    int Count() const { return archive_.Count(); }
    const TStringList& Names() const { return names_; }
    std::int32_t EntrySize(int index) const { return archive_.Sizes.at(static_cast<size_t>(index)); }
    // Everything behind the size table.
    const TMemoryStream& Data() const { return data_; }

  private:
    void CopyEntry(int index, TMemoryStream& target) const;

    TSkinArchive archive_;
    TStringList names_;
    TMemoryStream data_;
};

// Writes a version-70000 packed skin of the entries, in their order, to target.
void WritePackedSkin(const std::vector<TSkinArchiveEntry>& entries, TStream& target);
