#include "SysUtils.h"

#include <windows.h>

#include <cctype>
#include <exception>

namespace {
std::string Replace1(const char* pattern, const std::string& a, const std::string& b = {}) {
    std::string out;
    int arg = 0;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += arg++ == 0 ? a : b;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
} // namespace

EFOpenError::EFOpenError(const std::string& fileName, const std::string& reason)
    : Exception(Replace1("Cannot open file \"%s\". %s", fileName, reason)) {}

EFCreateError::EFCreateError(const std::string& fileName, const std::string& reason)
    : Exception(Replace1("Cannot create file \"%s\". %s", fileName, reason)) {}

EIniFileException::EIniFileException(const std::string& fileName)
    : Exception(Replace1("Unable to write to %s", fileName)) {}

std::string SysErrorMessage(unsigned long code) {
    char buffer[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "System error " + IntToStr(static_cast<long long>(code));
    return text;
}

std::string LastErrorMessage() {
    return SysErrorMessage(GetLastError());
}

void RaiseLastOSError(const std::string& context) {
    throw Exception(context.empty() ? LastErrorMessage() : context + ": " + LastErrorMessage());
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
    size_t cut = fileName.size();
    for (size_t i = fileName.size(); i-- > 0;) {
        char c = fileName[i];
        if (c == '.') {
            cut = i;
            break;
        }
        if (c == '\\' || c == '/' || c == ':')
            break;
    }
    std::string out(fileName.substr(0, cut));
    out += extension;
    return out;
}

std::string ExtractFilePath(std::string_view fileName) {
    size_t pos = fileName.find_last_of("\\/:");
    return pos == std::string_view::npos ? std::string() : std::string(fileName.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view fileName) {
    size_t pos = fileName.find_last_of("\\/:");
    return std::string(pos == std::string_view::npos ? fileName : fileName.substr(pos + 1));
}

std::string IncludeTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (out.empty() || out.back() != '\\')
        out += '\\';
    return out;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

bool FileExists(const std::string& fileName) {
    DWORD attributes = GetFileAttributesA(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExeFileName() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

void TraceSwallowed(const char* where) noexcept {
    const std::exception_ptr caught = std::current_exception();
    try {
        std::string text = "Perchpoints: ";
        text += where ? where : "?";
        text += ": ";
        try {
            if (caught)
                std::rethrow_exception(caught);
            text += "nothing was thrown";
        } catch (const std::exception& error) {
            text += error.what();
        } catch (...) {
            text += "an exception of unknown type";
        }
        text += '\n';
        OutputDebugStringA(text.c_str());
    } catch (...) {
        OutputDebugStringA("Perchpoints: an exception was swallowed\n");
    }
}
