#pragma once
// Exceptions, file-name helpers and the system's error texts.

#include <stdexcept>
#include <string>
#include <string_view>

// Every error the toolkit raises; its text is what the user is shown.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EFOpenError : public Exception {
  public:
    EFOpenError(const std::string& fileName, const std::string& reason);
};

class EFCreateError : public Exception {
  public:
    EFCreateError(const std::string& fileName, const std::string& reason);
};

class EReadError : public Exception {
  public:
    using Exception::Exception;
};

class EWriteError : public Exception {
  public:
    using Exception::Exception;
};

class EIniFileException : public Exception {
  public:
    explicit EIniFileException(const std::string& fileName);
};

class EOutOfResources : public Exception {
  public:
    using Exception::Exception;
};

// Call from a catch (...) block that must swallow what it caught (paint code, destructors, clean-up
// that goes on whatever happens): writes where and what to the debugger's output ("Perchpoints:
// <where>: <message>"), so that a fault that shows only as something missing can still be found.
void TraceSwallowed(const char* where) noexcept;

// Text of a system error code, without the trailing line end.
std::string SysErrorMessage(unsigned long code);
// Text of GetLastError(); "error N" when the system has none.
std::string LastErrorMessage();
[[noreturn]] void RaiseLastOSError(const std::string& context);

std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
std::string ExtractFilePath(std::string_view fileName); // with the trailing backslash
std::string ExtractFileName(std::string_view fileName);
std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);

bool FileExists(const std::string& fileName);  // an existing file, not a folder
bool DirectoryExists(const std::string& path); // attributes readable and the directory bit set
std::string ExeFileName();                     // full path of the running executable

std::string LowerCase(std::string_view text); // ASCII only, as class-name comparisons need
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
std::string IntToStr(long long value);
