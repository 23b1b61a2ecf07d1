// The in-memory registry losing power, for tests of what a change leaves behind when Windows
// stops at any point of it.
#pragma once

#include "tests/doubles/refusing_registry.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace talvex {

// After cutAfter writes (values set or deleted, keys deleted) the power is gone: every later
// write is dropped while the caller is told it succeeded, so the registry holds what a disk would
// after a power loss there. A key is then only opened, never created.
//
// It also checks the order a power loss respects: the registry writes each hive to disk in its own
// time, so a write to one hive while another holds writes not yet flushed could survive a power
// loss that the earlier one does not. Every such write is kept in unordered.
class PowerCutRegistry : public RefusingRegistry {
  public:
    std::optional<int> cutAfter;
    int writes = 0;  // taken
    int dropped = 0; // after the cut
    std::vector<std::string> unordered;
    std::function<void()> onCut; // at the first write dropped: what else goes with the power

    // The power goes after k more writes.
    void CutAfter(int k) {
        cutAfter = writes + k;
        dropped = 0;
    }
    // And comes back: what the registry holds is all there is, on disk.
    void PowerBack() {
        cutAfter.reset();
        dirty_.clear();
    }

    std::int32_t CreateKey(RegKey root, const std::string& path, RegKey* result) override {
        const std::int32_t status = Cut() ? MemoryRegistry::OpenKey(root, path, result)
                                          : MemoryRegistry::CreateKey(root, path, result);
        Remember(status, root, path, result);
        return status;
    }
    std::int32_t OpenKey(RegKey root, const std::string& path, RegKey* result) override {
        const std::int32_t status = MemoryRegistry::OpenKey(root, path, result);
        Remember(status, root, path, result);
        return status;
    }
    std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t count) override {
        return Taken(key) ? RefusingRegistry::SetValueEx(key, name, type, data, count)
                          : kErrorSuccess;
    }
    std::int32_t DeleteValue(RegKey key, const std::string& name) override {
        return Taken(key) ? MemoryRegistry::DeleteValue(key, name) : kErrorSuccess;
    }
    std::int32_t DeleteKey(RegKey key, const std::string& subKey) override {
        return Taken(key) ? MemoryRegistry::DeleteKey(key, subKey) : kErrorSuccess;
    }
    std::int32_t FlushKey(RegKey key) override {
        if (!Cut()) dirty_.erase(Hive(key));
        return MemoryRegistry::FlushKey(key);
    }

  private:
    bool Cut() const { return cutAfter && writes >= *cutAfter; }
    bool Taken(RegKey key) {
        if (Cut()) {
            if (dropped++ == 0 && onCut) onCut();
            return false;
        }
        ++writes;
        const std::string hive = Hive(key);
        for (const std::string& other : dirty_)
            if (other != hive) {
                std::string order = hive;
                order += " written before ";
                order += other;
                order += " was flushed";
                unordered.push_back(std::move(order));
            }
        dirty_.insert(hive);
        return true;
    }
    // The full path of each handle opened from HKLM, by handle.
    void Remember(std::int32_t status, RegKey root, const std::string& path, const RegKey* result) {
        if (status != kErrorSuccess || !result) return;
        const auto parent = paths_.find(root);
        const std::string base = root == kHKeyLocalMachine ? ""
                                 : parent != paths_.end() ? parent->second + "\\"
                                                          : "?\\";
        if (*result != root) paths_[*result] = base + path;
    }
    // The first key below HKLM: SOFTWARE, SYSTEM...
    std::string Hive(RegKey key) const {
        const auto path = paths_.find(key);
        std::string hive = path == paths_.end() ? "?" : path->second.substr(0, path->second.find('\\'));
        std::transform(hive.begin(), hive.end(), hive.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return hive;
    }

    std::map<RegKey, std::string> paths_;
    std::set<std::string> dirty_;
};

} // namespace talvex
