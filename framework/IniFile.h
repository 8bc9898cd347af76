#pragma once
// A settings file read and written through the system's profile calls.

#include <string>

class TIniFile {
  public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // Decimal or 0x-hexadecimal; anything else gives the fallback.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
    bool SectionExists(const std::string& section) const;

    // Raise EIniFileException ("Unable to write to <file>") on failure.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void UpdateFile();

  private:
    std::string fileName_;
};
