#include "Streams.h"

#include "SysUtils.h"

#include <algorithm>
#include <cstring>

std::int64_t TStream::Size() {
    std::int64_t position = Seek(0, soCurrent);
    std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::int64_t left = count;
    while (left > 0) {
        size_t chunk =
            static_cast<size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= static_cast<std::int64_t>(chunk);
    }
    return count;
}

// ---- TMemoryStream

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= data_.size())
        return 0;
    size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (!count)
        return 0;
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == soBeginning ? 0
                        : origin == soCurrent ? static_cast<std::int64_t>(position_)
                                              : static_cast<std::int64_t>(data_.size());
    std::int64_t target = base + offset;
    position_ = static_cast<size_t>(std::max<std::int64_t>(target, 0));
    return static_cast<std::int64_t>(position_);
}

void TMemoryStream::SetSize(size_t size) {
    data_.resize(size);
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    std::int64_t size = stream.Size();
    data_.resize(static_cast<size_t>(size));
    stream.ReadBuffer(data_.data(), data_.size());
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TMemoryStream::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(data_.data(), data_.size());
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
    if (mode == fmCreate) {
        handle_.Reset(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_)
            throw EFCreateError(fileName, LastErrorMessage());
    } else {
        DWORD access = (mode & 3) == fmOpenWrite       ? GENERIC_WRITE
                       : (mode & 3) == fmOpenReadWrite ? GENERIC_READ | GENERIC_WRITE
                                                       : GENERIC_READ;
        DWORD share = (mode & 3) == fmOpenRead ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
        handle_.Reset(CreateFileA(fileName.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_)
            throw EFOpenError(fileName, LastErrorMessage());
    }
}

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (total < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD done = 0;
        if (!ReadFile(handle_.Get(), bytes + total, chunk, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    auto* bytes = static_cast<const std::uint8_t*>(buffer);
    while (total < count) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(handle_.Get(), bytes + total, chunk, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    DWORD method = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(handle_.Get(), distance, &result, method))
        return -1;
    return result.QuadPart;
}

void TFileStream::Flush() {
    if (!FlushFileBuffers(handle_.Get()))
        throw EWriteError(LastErrorMessage());
}

// ---- TResourceStream

TResourceStream::TResourceStream(HINSTANCE instance, const char* name, const char* type) {
    HRSRC info = FindResourceA(instance, name, type);
    HGLOBAL global = info ? LoadResource(instance, info) : nullptr;
    if (!global) {
        std::string text =
            IS_INTRESOURCE(name) ? "#" + IntToStr(reinterpret_cast<std::uintptr_t>(name)) : name;
        throw Exception("Resource " + text + " not found");
    }
    data_ = static_cast<const std::uint8_t*>(LockResource(global));
    size_ = SizeofResource(instance, info);
}

size_t TResourceStream::Read(void* buffer, size_t count) {
    if (position_ >= size_)
        return 0;
    size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

size_t TResourceStream::Write(const void*, size_t) {
    throw EWriteError("Cannot write to a resource stream");
}

std::int64_t TResourceStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == soBeginning ? 0
                        : origin == soCurrent ? static_cast<std::int64_t>(position_)
                                              : static_cast<std::int64_t>(size_);
    position_ = static_cast<size_t>(std::max<std::int64_t>(base + offset, 0));
    return static_cast<std::int64_t>(position_);
}
