#pragma once
// Byte streams: memory, file and (read-only) resource.

#include "Handles.h"
#include "Persistent.h"

#include <cstdint>
#include <string>
#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

enum TFileMode : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

class TStream : public TObject {
  public:
    const char* ClassName() const override { return "TStream"; }
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
    virtual std::int64_t Size();
    // Raise EReadError / EWriteError when not everything could be moved.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes (all from the start when 0) of source; returns bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
  public:
    const char* ClassName() const override { return "TMemoryStream"; }
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

    void SetSize(size_t size);
    void Clear();
    const std::uint8_t* Memory() const { return data_.data(); }
    std::uint8_t* Memory() { return data_.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& stream) const;
    void SaveToFile(const std::string& fileName) const;

  private:
    std::vector<std::uint8_t> data_;
    size_t position_ = 0;
};

class TFileStream : public TStream {
  public:
    // fmCreate creates or truncates; the others open an existing file.
    // Raises EFCreateError / EFOpenError with the system's reason.
    TFileStream(const std::string& fileName, unsigned mode);
    const char* ClassName() const override { return "TFileStream"; }
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    const std::string& FileName() const { return fileName_; }
    HANDLE Handle() const { return handle_.Get(); }
    // Forces the written bytes to the disk.
    void Flush();

  private:
    std::string fileName_;
    TOwnedHandle handle_;
};

// A read-only view of a resource of the module.
class TResourceStream : public TStream {
  public:
    TResourceStream(HINSTANCE instance, const char* name, const char* type);
    const char* ClassName() const override { return "TResourceStream"; }
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
    const void* Memory() const { return data_; }

  private:
    const std::uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
};
