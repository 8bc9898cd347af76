#pragma once
// An ordered list of ANSI lines, loaded from and saved to text files.
//
// Loading: a line ends at CR, LF or CR LF (one line end), a NUL ends the text,
// and the final line end makes no trailing empty line. Saving: every line,
// the last included, ends with CR LF; files are replaced whole, never left
// half written.

#include "Delegate.h"
#include "Persistent.h"

#include <string>
#include <string_view>
#include <vector>

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TPersistent {
  public:
    TStringList() = default;
    const char* ClassName() const override { return "TStringList"; }
    void Assign(const TPersistent& source) override;

    int Count() const { return static_cast<int>(lines_.size()); }
    bool Empty() const { return lines_.empty(); }
    const std::string& operator[](int index) const { return Strings(index); }
    const std::string& Strings(int index) const;
    void SetString(int index, const std::string& value);
    const std::vector<std::string>& Lines() const { return lines_; }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }

    // With Sorted on, the line goes to its sorted place (and Duplicates applies).
    int Add(const std::string& line);
    void Insert(int index, const std::string& line);
    void Delete(int index);
    void Clear();
    void AddStrings(const TStringList& other);
    void Exchange(int a, int b);
    int IndexOf(std::string_view line) const;
    int IndexOfName(std::string_view name) const;
    // The part before / after the first "=" of a line.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    std::string Values(std::string_view name) const;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    void Sort();
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

    std::string Text() const;
    void SetText(std::string_view text);
    void LoadFromStream(TStream& stream);
    // Raises EFOpenError when the file cannot be read.
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& stream) const;
    // Raises EFCreateError; the old file stays when writing fails.
    void SaveToFile(const std::string& fileName) const;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    TNotifyEvent OnChange;

  private:
    int Compare(const std::string& a, const std::string& b) const;
    bool Find(const std::string& line, int& index) const;
    void Changed();

    std::vector<std::string> lines_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
    int updateCount_ = 0;
};
