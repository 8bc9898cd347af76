#include "SkinRead.h"

#include "Dialogs.h"

bool TSkinReader::ReadArchive(TStream& packed) {
    std::string error;
    if (ReadArchive(packed, error))
        return true;
    ShowMessage(error);
    return false;
}

bool TSkinReader::ReadArchive(TStream& packed, std::string& error) {
    names_.Clear();
    data_.Clear();
    archive_ = TSkinArchive{};

    packed.SetPosition(0);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(packed.Size()));
    size_t got = bytes.empty() ? 0 : packed.Read(bytes.data(), bytes.size());
    bytes.resize(got);

    TSkinArchiveError result = UnpackSkinArchive(bytes.data(), bytes.size(), archive_);
    if (result != TSkinArchiveError::None) {
        error = SkinArchiveErrorText(result);
        return false;
    }
    error.clear();
    for (const std::string& name : archive_.Names)
        names_.Add(name);
    if (!archive_.Data.empty())
        data_.WriteBuffer(archive_.Data.data(), archive_.Data.size());
    data_.SetPosition(0);
    std::vector<std::uint8_t>().swap(archive_.Data); // entries are served from data_ from now on
    return true;
}

void TSkinReader::CopyEntry(int index, TMemoryStream& target) const {
    size_t size = archive_.EntrySize(index);
    if (size)
        target.WriteBuffer(data_.Memory() + archive_.Offsets[static_cast<size_t>(index)], size);
    target.SetPosition(0);
}

void TSkinReader::ExtractFile(const std::string& name, TMemoryStream& target) const {
    target.Clear();
    int index = archive_.IndexOf(name);
    if (index >= 0)
        CopyEntry(index, target);
}

bool TSkinReader::ExtractFileContaining(const std::string& fragment, TMemoryStream& target,
                                        std::string& entryName) const {
    target.Clear();
    entryName.clear();
    int index = archive_.IndexContaining(fragment);
    if (index < 0)
        return false;
    CopyEntry(index, target);
    entryName = archive_.Names[static_cast<size_t>(index)];
    return true;
}

void WritePackedSkin(const std::vector<TSkinArchiveEntry>& entries, TStream& target) {
    std::vector<std::uint8_t> packed = PackSkinArchive(entries);
    target.WriteBuffer(packed.data(), packed.size());
}
