#pragma once
// Skin images for the loaders straight from memory: entry name (lower case) to file bytes.

#include "WinSkinData.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TMapSource : public TSkinEntrySource {
public:
    std::map<std::string, std::vector<std::uint8_t>> entries;
    std::vector<std::uint8_t> Extract(const std::string& name) const override
    {
        auto found = entries.find(name);
        return found == entries.end() ? std::vector<std::uint8_t>() : found->second;
    }
};
