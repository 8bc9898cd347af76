#include "IniFile.h"

#include "NumberText.h"
#include "SysUtils.h"

#include <windows.h>

#include <vector>

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    std::vector<char> buffer(2048);
    for (;;) {
        DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), fileName_.c_str());
        // A value that filled the buffer may have been cut: read again, larger.
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20))
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    std::string text = ReadString(section, key, "");
    return ParseIntegerOr(text, fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const std::string& section) const {
    char buffer[16] = {};
    return GetPrivateProfileSectionA(section.c_str(), buffer, sizeof buffer, fileName_.c_str()) > 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    // A read-only file stays as it is even where the system would write through it (Wine run
    // by root), as it does on Windows.
    DWORD attributes = GetFileAttributesA(fileName_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw EIniFileException(fileName_);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileException(fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str());
}
