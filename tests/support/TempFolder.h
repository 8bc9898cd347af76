#pragma once
// A fresh folder for one test, removed with everything in it when the test ends (read-only
// files included). Files are read and written as raw bytes: tests compare them byte for byte.

#include <string>
#include <vector>

class TTempFolder {
  public:
    TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder();

    // The folder, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // A name inside it.
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }

    void Write(const std::string& name, const std::string& bytes) const;
    // The file's bytes; empty when it cannot be read.
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void Remove(const std::string& name) const;
    void SetReadOnly(const std::string& name, bool readOnly) const;
    // Names of the files in the folder, sorted.
    std::vector<std::string> Files() const;
    // A folder inside it (made), for targets that must exist.
    std::string MakeFolder(const std::string& name) const;

  private:
    std::string path_;
};
