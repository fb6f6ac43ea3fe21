#include "qv/TreeNode.h"

#include <cstring>

namespace QV {

namespace {

const char kMagic[4] = {'Q', 'V', 'D', 'T'};

// The least bytes one stored property (name length byte and type byte) and one stored child
// (its magic) take: a count larger than the remaining bytes allow is corruption.
constexpr uint64_t kMinPropertyBytes = 2;
constexpr uint64_t kMinChildBytes = 4;

}  // namespace

void TreeProperty::ResetValue() {
    integer_ = 0;
    double_ = 0;
    ansi_.clear();
    wide_.clear();
    blob_.reset();
}

void TreeProperty::SetInteger(int type, uint32_t value) {
    ResetValue();
    type_ = type;
    integer_ = value;
}

void TreeProperty::SetDouble(double value) {
    ResetValue();
    type_ = TypeDouble;
    double_ = value;
}

void TreeProperty::SetAnsi(std::string value) {
    ResetValue();
    type_ = TypeAnsiString;
    ansi_ = std::move(value);
}

void TreeProperty::SetWide(std::u16string value) {
    ResetValue();
    type_ = TypeWideString;
    wide_ = std::move(value);
}

void TreeProperty::SetBlob(const void* data, size_t count) {
    ResetValue();
    type_ = TypeBlob;
    blob_ = std::make_unique<MemoryStream>(data, count);
}

void TreeProperty::SetEmpty(int type) {
    ResetValue();
    type_ = type;
}

std::unique_ptr<TreeProperty> TreeProperty::Clone() const {
    auto copy = std::make_unique<TreeProperty>(name_, type_);
    copy->integer_ = integer_;
    copy->double_ = double_;
    copy->ansi_ = ansi_;
    copy->wide_ = wide_;
    if (blob_) copy->blob_ = std::make_unique<MemoryStream>(blob_->Data(), size_t(blob_->Size()));
    return copy;
}

namespace {
// Types 0 to 4 all carry one 32-bit value.
bool IsDwordType(int type) { return type >= TypeDword && type <= TypeColour; }
}  // namespace

bool TreeProperty::Read(Stream& in) {
    if (IsDwordType(type_)) return in.ReadDword(integer_);
    switch (type_) {
    case TypeDouble:
        return in.ReadDouble(double_);
    case TypeAnsiString:
        return in.ReadString(ansi_);
    case TypeWideString:
        return in.ReadWString(wide_);
    case TypeBlob: {
        uint32_t count;
        if (!in.ReadDword(count) || count > in.Remaining()) return false;
        blob_ = std::make_unique<MemoryStream>();
        if (count == 0) return true;
        if (!blob_->Resize(count)) return false;
        return in.ReadExact(blob_->Data(), count);
    }
    default:
        return true;
    }
}

bool TreeProperty::Write(Stream& out) const {
    if (!out.WriteString(name_) || !out.WriteByte(uint8_t(type_))) return false;
    if (IsDwordType(type_)) return out.WriteDword(integer_);
    switch (type_) {
    case TypeDouble:
        return out.WriteDouble(double_);
    case TypeAnsiString:
        return out.WriteString(ansi_);
    case TypeWideString:
        return out.WriteWString(wide_);
    case TypeBlob: {
        const uint32_t count = blob_ ? uint32_t(blob_->Size()) : 0;
        if (!out.WriteDword(count)) return false;
        return count == 0 || out.Write(blob_->Data(), count) == count;
    }
    default:
        return true;
    }
}

TreeNode* TreeNode::Child(const std::string& name, bool create) {
    auto it = children_.find(name);
    if (it != children_.end()) return it->second.get();
    if (!create) return nullptr;
    auto& slot = children_[name];
    slot = std::make_unique<TreeNode>(name);
    return slot.get();
}

const TreeNode* TreeNode::Child(const std::string& name) const {
    auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second.get();
}

const TreeProperty* TreeNode::Property(const std::string& name) const {
    auto it = properties_.find(name);
    return it == properties_.end() ? nullptr : it->second.get();
}

namespace {

const TreeProperty* Typed(const TreeNode& node, const std::string& name, int type) {
    const TreeProperty* p = node.Property(name);
    return p && p->Type() == type ? p : nullptr;
}

}  // namespace

uint32_t TreeNode::GetDword(const std::string& name, uint32_t def) const {
    const TreeProperty* p = Typed(*this, name, TypeDword);
    return p ? p->Integer() : def;
}

int32_t TreeNode::GetInt(const std::string& name, int32_t def) const {
    const TreeProperty* p = Typed(*this, name, TypeInt);
    return p ? int32_t(p->Integer()) : def;
}

uint8_t TreeNode::GetBool(const std::string& name, uint8_t def) const {
    const TreeProperty* p = Typed(*this, name, TypeBool);
    return p ? uint8_t(p->Integer() & 0xFF) : def;
}

uint32_t TreeNode::GetColour(const std::string& name, uint32_t def) const {
    const TreeProperty* p = Typed(*this, name, TypeColour);
    return p ? p->Integer() : def;
}

std::u16string TreeNode::GetString(const std::string& name, const std::u16string& def) const {
    const TreeProperty* p = Typed(*this, name, TypeWideString);
    return p ? p->Wide() : def;
}

const MemoryStream* TreeNode::GetBlob(const std::string& name) const {
    const TreeProperty* p = Typed(*this, name, TypeBlob);
    return p ? p->Blob() : nullptr;
}

std::u16string TreeNode::RequiredString(const std::string& name) const { return GetString(name, u""); }

void TreeNode::SetString(const std::string& name, const std::u16string& value) {
    auto& slot = properties_[name];
    if (!slot) slot = std::make_unique<TreeProperty>(name, TypeWideString);
    slot->SetWide(value);
}

TreeProperty& TreeNode::SetProperty(std::unique_ptr<TreeProperty> property) {
    auto& slot = properties_[property->Name()];
    slot = std::move(property);
    return *slot;
}

bool TreeNode::AddProperty(std::unique_ptr<TreeProperty> property) {
    const std::string name = property->Name();
    return properties_.emplace(name, std::move(property)).second;
}

bool TreeNode::AddChild(std::unique_ptr<TreeNode> child) {
    const std::string name = child->Name();
    return children_.emplace(name, std::move(child)).second;
}

void TreeNode::Clear() {
    properties_.clear();
    children_.clear();
}

void TreeNode::CopyFrom(const TreeNode& other) {
    if (&other == this) return;
    Clear();
    name_ = other.name_;
    for (const auto& [name, property] : other.properties_) properties_.emplace(name, property->Clone());
    for (const auto& [name, child] : other.children_) {
        auto copy = std::make_unique<TreeNode>();
        copy->CopyFrom(*child);
        children_.emplace(name, std::move(copy));
    }
}

bool TreeNode::Read(Stream& in) {
    const ReadResult result = ReadBody(in, 0);
    if (result != ReadResult::Ok) {
        Clear();
        name_.clear();
    }
    return result == ReadResult::Ok;
}

TreeNode::ReadResult TreeNode::ReadBody(Stream& in, int depth) {
    Clear();
    name_.clear();
    char magic[4];
    if (!in.ReadExact(magic, 4)) return ReadResult::Corrupt;
    if (std::memcmp(magic, kMagic, 4) != 0) return ReadResult::BadMagic;
    // Nesting deeper than any file of ours would exhaust the stack on a hostile file.
    if (depth > kMaxDepth) return ReadResult::Corrupt;
    if (!in.ReadString(name_)) return ReadResult::Corrupt;

    uint32_t count;
    if (!in.ReadDword(count) || count > in.Remaining() / kMinPropertyBytes) return ReadResult::Corrupt;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        uint8_t type;
        if (!in.ReadString(name) || !in.ReadByte(type)) return ReadResult::Corrupt;
        auto property = std::make_unique<TreeProperty>(std::move(name), type);
        if (!property->Read(in)) return ReadResult::Corrupt;
        AddProperty(std::move(property));
    }

    if (!in.ReadDword(count) || count > in.Remaining() / kMinChildBytes) return ReadResult::Corrupt;
    for (uint32_t i = 0; i < count; ++i) {
        auto child = std::make_unique<TreeNode>();
        const ReadResult result = child->ReadBody(in, depth + 1);
        if (result == ReadResult::Corrupt) return ReadResult::Corrupt;
        // A child with a wrong magic is kept, empty and unnamed, and reading goes on after it.
        if (result == ReadResult::BadMagic) child->Clear();
        AddChild(std::move(child));
    }
    return ReadResult::Ok;
}

bool TreeNode::Write(Stream& out) const {
    if (out.Write(kMagic, 4) != 4 || !out.WriteString(name_)) return false;
    if (!out.WriteDword(uint32_t(properties_.size()))) return false;
    for (const auto& entry : properties_) {
        if (!entry.second->Write(out)) return false;
    }
    if (!out.WriteDword(uint32_t(children_.size()))) return false;
    for (const auto& entry : children_) {
        if (!entry.second->Write(out)) return false;
    }
    return true;
}

}  // namespace QV
