#pragma once
#include "targets/ByteStream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class PropertyType : uint8_t { Integer = 0, Boolean = 1, String = 4, Stamp = 5 };

// One named value of a node. Unknown type numbers are kept with their four value bytes.
struct Property {
    std::string name;
    uint8_t type = 0;
    uint32_t number = 0;                 // Integer, Boolean and unknown types
    std::string text;                    // String
    std::array<uint8_t, 4> stamp{};      // Stamp
    bool operator==(const Property& o) const;
};

// The one case-insensitive name comparison used by the writer, the sorter and the binary search.
[[nodiscard]] int CompareNames(const std::string& a, const std::string& b);

class PropertyNode {
public:
    PropertyNode() = default;
    PropertyNode(std::string name, uint32_t tag) : name_(std::move(name)), tag_(tag) {}

    const std::string& Name() const { return name_; }
    uint32_t Tag() const { return tag_; }
    const std::vector<Property>& Properties() const { return properties_; }

    void SetInteger(const std::string& name, uint32_t value);
    void SetBoolean(const std::string& name, bool value);
    void SetString(const std::string& name, const std::string& text);
    void SetStamp(const std::string& name, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);

    [[nodiscard]] uint32_t GetInteger(const std::string& name, uint32_t def) const;
    [[nodiscard]] bool GetBoolean(const std::string& name, bool def) const;
    [[nodiscard]] std::string GetString(const std::string& name, const std::string& def) const;
    [[nodiscard]] std::array<uint8_t, 4> GetStamp(const std::string& name, uint8_t d0, uint8_t d1,
                                                  uint8_t d2, uint8_t d3) const;
    // Linear, case-insensitive lookup; nullptr when missing.
    [[nodiscard]] const Property* Find(const std::string& name) const;

    // One node without a tree header (the banner file embeds this encoding). Read fails on any
    // short read and on counts larger than the bytes left.
    [[nodiscard]] bool Read(ByteStream& in);
    void Write(ByteStream& out) const;

    bool operator==(const PropertyNode& o) const {
        return name_ == o.name_ && tag_ == o.tag_ && properties_ == o.properties_;
    }

private:
    Property& Obtain(const std::string& name);
    std::string name_;
    uint32_t tag_ = 0;
    std::vector<Property> properties_;
};

class PropertyTree {
public:
    static constexpr std::array<uint8_t, 4> kDefaultMagic{'P', 'R', 'T', '2'};
    static constexpr std::array<uint8_t, 4> kPluginMagic{'T', 'L', 'P', '2'};

    void SetMagic(const std::array<uint8_t, 4>& magic) { magic_ = magic; }
    const std::array<uint8_t, 4>& Magic() const { return magic_; }
    void SetCheck(bool check) { check_ = check; }
    bool Check() const { return check_; }

    PropertyNode& AddNode(const std::string& name, uint32_t tag, bool sort);
    void SortNodes();
    // Binary search over the current order.
    [[nodiscard]] PropertyNode* FindNode(const std::string& name);
    [[nodiscard]] const PropertyNode* FindNode(const std::string& name) const;
    size_t NodeCount() const { return nodes_.size(); }
    PropertyNode& Node(size_t i) { return *nodes_[i]; }
    const PropertyNode& Node(size_t i) const { return *nodes_[i]; }

    void Write(ByteStream& out) const;
    // Fails on a short read anywhere, on a node count larger than the bytes left, and on another
    // magic when the check flag is set. On failure the tree keeps its previous nodes.
    [[nodiscard]] bool Read(ByteStream& in);

    bool operator==(const PropertyTree& o) const;

private:
    bool check_ = false;
    std::array<uint8_t, 4> magic_ = kDefaultMagic;
    std::vector<std::unique_ptr<PropertyNode>> nodes_;
};
