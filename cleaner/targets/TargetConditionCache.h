#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Whether a registry key or a file-system path exists, for the thousands of conditions an import
// brings, at the cost of few lookups: each distinct name is asked once, nothing below a name known
// to be absent is asked at all, and a key or folder that many names lie below is listed once, so
// that the absent programs among them (most of a large import) are answered from its list. Names
// are split at '\'; the first part is the root (a registry root, a drive). One cache serves one
// pass over the conditions: what it learnt is not kept for later, when the machine may differ.
class PresenceCache {
public:
    struct Lookups {
        // Whether the name, as given, exists.
        std::function<bool(const std::string& name)> exists;
        // The names of the children of `name`; none when it cannot be listed or holds more than
        // `limit` of them (so a key or folder with many children costs little to refuse).
        std::function<std::optional<std::vector<std::string>>(const std::string& name, size_t limit)> children;
    };

    explicit PresenceCache(Lookups lookups) : lookups_(std::move(lookups)) {}

    [[nodiscard]] bool Exists(const std::string& name);

    // How many times the lookups were asked (to show what the cache saves).
    size_t Asked() const { return asked_; }

private:
    struct Node {
        size_t uses = 0;         // names asked below this one
        size_t nextTry = 8;      // uses at which a list is tried (again), doubling each time
        bool listed = false;
        std::unordered_set<std::string> children;  // folded; only when listed
    };

    bool Remember(const std::string& folded, bool exists);
    void TryList(Node& node, const std::string& name);

    Lookups lookups_;
    std::unordered_map<std::string, bool> known_;  // folded name -> exists
    std::unordered_map<std::string, Node> nodes_;  // folded name -> what is known below it
    size_t asked_ = 0;
};
