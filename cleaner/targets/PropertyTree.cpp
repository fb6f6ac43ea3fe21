#include "targets/PropertyTree.h"

#include <algorithm>

namespace {
constexpr uint64_t kMinNodeBytes = 4 + 2 + 4;      // tag, empty name, property count
constexpr uint64_t kMinPropertyBytes = 2 + 1 + 2;  // empty name, type, smallest value (empty string)
// Counts come from the file: room is made for a few up front and the rest grows with what really
// parses, so a count near its bound never turns a small file into a large allocation.
constexpr uint32_t kReserveLimit = 64;

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool ReadExact(ByteStream& in, void* data, size_t count) { return in.Read(data, count) == count; }

bool ReadU32(ByteStream& in, uint32_t& v) {
    uint8_t b[4];
    if (!ReadExact(in, b, 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool ReadString(ByteStream& in, std::string& s) {
    uint8_t b[2];
    if (!ReadExact(in, b, 2)) return false;
    size_t n = b[0] | (b[1] << 8);
    if (n > in.Remaining()) return false;  // never allocate more than the stream holds
    s.assign(n, '\0');
    return n == 0 || ReadExact(in, s.data(), n);
}

void WriteU32(ByteStream& out, uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    (void)out.Write(b, 4);
}

// Strings longer than 65535 bytes cannot be stored; the tail is cut rather than the count wrapped.
void WriteString(ByteStream& out, const std::string& s) {
    size_t n = std::min<size_t>(s.size(), 0xFFFF);
    uint8_t b[2] = {uint8_t(n), uint8_t(n >> 8)};
    (void)out.Write(b, 2);
    if (n) (void)out.Write(s.data(), n);
}
}  // namespace

int CompareNames(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Lower(static_cast<unsigned char>(a[i]));
        unsigned char y = Lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool Property::operator==(const Property& o) const {
    if (name != o.name || type != o.type) return false;
    if (type == static_cast<uint8_t>(PropertyType::String)) return text == o.text;
    if (type == static_cast<uint8_t>(PropertyType::Stamp)) return stamp == o.stamp;
    return number == o.number;
}

const Property* PropertyNode::Find(const std::string& name) const {
    for (const Property& p : properties_)
        if (CompareNames(p.name, name) == 0) return &p;
    return nullptr;
}

Property& PropertyNode::Obtain(const std::string& name) {
    for (Property& p : properties_)
        if (CompareNames(p.name, name) == 0) return p;
    properties_.push_back(Property{});
    properties_.back().name = name;
    return properties_.back();
}

void PropertyNode::SetInteger(const std::string& name, uint32_t value) {
    Property& p = Obtain(name);
    p.type = static_cast<uint8_t>(PropertyType::Integer);
    p.text.clear();
    p.number = value;
}

void PropertyNode::SetBoolean(const std::string& name, bool value) {
    Property& p = Obtain(name);
    p.type = static_cast<uint8_t>(PropertyType::Boolean);
    p.text.clear();
    p.number = value ? 1 : 0;
}

void PropertyNode::SetString(const std::string& name, const std::string& text) {
    Property& p = Obtain(name);
    p.type = static_cast<uint8_t>(PropertyType::String);
    p.number = 0;
    p.text = text;
}

void PropertyNode::SetStamp(const std::string& name, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    Property& p = Obtain(name);
    p.type = static_cast<uint8_t>(PropertyType::Stamp);
    p.text.clear();
    p.stamp = {b0, b1, b2, b3};
}

uint32_t PropertyNode::GetInteger(const std::string& name, uint32_t def) const {
    const Property* p = Find(name);
    return p && p->type == static_cast<uint8_t>(PropertyType::Integer) ? p->number : def;
}

bool PropertyNode::GetBoolean(const std::string& name, bool def) const {
    const Property* p = Find(name);
    return p && p->type == static_cast<uint8_t>(PropertyType::Boolean) ? p->number != 0 : def;
}

std::string PropertyNode::GetString(const std::string& name, const std::string& def) const {
    const Property* p = Find(name);
    return p && p->type == static_cast<uint8_t>(PropertyType::String) ? p->text : def;
}

std::array<uint8_t, 4> PropertyNode::GetStamp(const std::string& name, uint8_t d0, uint8_t d1,
                                              uint8_t d2, uint8_t d3) const {
    const Property* p = Find(name);
    if (p && p->type == static_cast<uint8_t>(PropertyType::Stamp)) return p->stamp;
    return {d0, d1, d2, d3};
}

bool PropertyNode::Read(ByteStream& in) {
    PropertyNode node;
    uint32_t count = 0;
    if (!ReadU32(in, node.tag_) || !ReadString(in, node.name_) || !ReadU32(in, count)) return false;
    if (count > in.Remaining() / kMinPropertyBytes) return false;
    node.properties_.reserve(std::min(count, kReserveLimit));
    for (uint32_t i = 0; i < count; ++i) {
        Property p;
        if (!ReadString(in, p.name) || !ReadExact(in, &p.type, 1)) return false;
        if (p.type == static_cast<uint8_t>(PropertyType::String)) {
            if (!ReadString(in, p.text)) return false;
        } else if (p.type == static_cast<uint8_t>(PropertyType::Stamp)) {
            if (!ReadExact(in, p.stamp.data(), 4)) return false;
        } else if (!ReadU32(in, p.number)) {
            return false;
        }
        node.properties_.push_back(std::move(p));
    }
    *this = std::move(node);
    return true;
}

void PropertyNode::Write(ByteStream& out) const {
    WriteU32(out, tag_);
    WriteString(out, name_);
    WriteU32(out, static_cast<uint32_t>(properties_.size()));
    for (const Property& p : properties_) {
        WriteString(out, p.name);
        (void)out.Write(&p.type, 1);
        if (p.type == static_cast<uint8_t>(PropertyType::String)) WriteString(out, p.text);
        else if (p.type == static_cast<uint8_t>(PropertyType::Stamp)) (void)out.Write(p.stamp.data(), 4);
        else WriteU32(out, p.number);
    }
}

PropertyNode& PropertyTree::AddNode(const std::string& name, uint32_t tag, bool sort) {
    nodes_.push_back(std::make_unique<PropertyNode>(name, tag));
    PropertyNode* added = nodes_.back().get();
    if (sort) SortNodes();
    return *added;
}

void PropertyTree::SortNodes() {
    std::stable_sort(nodes_.begin(), nodes_.end(), [](const auto& a, const auto& b) {
        return CompareNames(a->Name(), b->Name()) < 0;
    });
}

const PropertyNode* PropertyTree::FindNode(const std::string& name) const {
    size_t lo = 0, hi = nodes_.size();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        int c = CompareNames(nodes_[mid]->Name(), name);
        if (c == 0) return nodes_[mid].get();
        if (c < 0) lo = mid + 1;
        else hi = mid;
    }
    return nullptr;
}

PropertyNode* PropertyTree::FindNode(const std::string& name) {
    return const_cast<PropertyNode*>(static_cast<const PropertyTree*>(this)->FindNode(name));
}

void PropertyTree::Write(ByteStream& out) const {
    (void)out.Write(magic_.data(), 4);
    WriteU32(out, static_cast<uint32_t>(nodes_.size()));
    for (const auto& n : nodes_) n->Write(out);
}

bool PropertyTree::Read(ByteStream& in) {
    std::array<uint8_t, 4> magic{};
    uint32_t count = 0;
    if (!ReadExact(in, magic.data(), 4) || !ReadU32(in, count)) return false;
    if (check_ && magic != magic_) return false;
    if (count > in.Remaining() / kMinNodeBytes) return false;
    std::vector<std::unique_ptr<PropertyNode>> nodes;
    nodes.reserve(std::min(count, kReserveLimit));
    for (uint32_t i = 0; i < count; ++i) {
        auto node = std::make_unique<PropertyNode>();
        if (!node->Read(in)) return false;
        nodes.push_back(std::move(node));
    }
    magic_ = magic;
    nodes_ = std::move(nodes);
    return true;
}

bool PropertyTree::operator==(const PropertyTree& o) const {
    if (magic_ != o.magic_ || nodes_.size() != o.nodes_.size()) return false;
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (!(*nodes_[i] == *o.nodes_[i])) return false;
    return true;
}
