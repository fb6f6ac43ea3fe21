#pragma once
// The tree-data format: one node with a name, typed named properties and named child nodes.
// Names are 8-bit strings compared exactly; within one node the first property or child of a name
// wins. Maps are ordered by name, so writing a tree always gives the same bytes.
#include "qv/MemoryStream.h"

#include <map>
#include <memory>
#include <string>

namespace QV {

enum PropertyType : int {
    TypeDword = 0,
    TypeInt = 1,
    TypeBool = 2,
    TypeRaw32 = 3,
    TypeColour = 4,
    TypeDouble = 5,
    TypeAnsiString = 6,
    TypeWideString = 7,
    TypeBlob = 8,
    TypeEmpty = 9,  // 9 to 255 carry no value
};

class TreeProperty {
public:
    TreeProperty(std::string name, int type) : name_(std::move(name)), type_(type) {}

    const std::string& Name() const { return name_; }
    int Type() const { return type_; }

    // The value fields; only the one of the property's type is meaningful.
    uint32_t Integer() const { return integer_; }
    double Double() const { return double_; }
    const std::string& Ansi() const { return ansi_; }
    const std::u16string& Wide() const { return wide_; }
    const MemoryStream* Blob() const { return blob_.get(); }

    void SetInteger(int type, uint32_t value);
    void SetDouble(double value);
    void SetAnsi(std::string value);
    void SetWide(std::u16string value);
    void SetBlob(const void* data, size_t count);
    void SetEmpty(int type);

    std::unique_ptr<TreeProperty> Clone() const;
    [[nodiscard]] bool Read(Stream& in);  // the value only: name and type are already read
    bool Write(Stream& out) const;        // name, type and value

private:
    void ResetValue();

    std::string name_;
    int type_;
    uint32_t integer_ = 0;
    double double_ = 0;
    std::string ansi_;
    std::u16string wide_;
    std::unique_ptr<MemoryStream> blob_;
};

class TreeNode {
public:
    using PropertyMap = std::map<std::string, std::unique_ptr<TreeProperty>>;
    using ChildMap = std::map<std::string, std::unique_ptr<TreeNode>>;

    TreeNode() = default;
    explicit TreeNode(std::string name) : name_(std::move(name)) {}
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // The child of that name; with create set, a missing child is created empty.
    TreeNode* Child(const std::string& name, bool create = false);
    const TreeNode* Child(const std::string& name) const;
    const TreeProperty* Property(const std::string& name) const;

    // Each getter accepts only a property of its own type; any other counts as absent.
    uint32_t GetDword(const std::string& name, uint32_t def) const;
    int32_t GetInt(const std::string& name, int32_t def) const;
    uint8_t GetBool(const std::string& name, uint8_t def) const;  // the low byte
    uint32_t GetColour(const std::string& name, uint32_t def) const;
    std::u16string GetString(const std::string& name, const std::u16string& def) const;
    const MemoryStream* GetBlob(const std::string& name) const;
    // For properties the settings must carry: empty when absent or not a wide string.
    std::u16string RequiredString(const std::string& name) const;

    void SetString(const std::string& name, const std::u16string& value);
    // Inserts or replaces; returns the property now stored.
    TreeProperty& SetProperty(std::unique_ptr<TreeProperty> property);
    // Inserts unless the name is taken (first one wins); returns whether it was inserted.
    bool AddProperty(std::unique_ptr<TreeProperty> property);
    bool AddChild(std::unique_ptr<TreeNode> child);

    void Clear();
    void CopyFrom(const TreeNode& other);

    const PropertyMap& Properties() const { return properties_; }
    const ChildMap& Children() const { return children_; }

    // Reads one node into this one (cleared first). A wrong magic leaves it empty; a truncated
    // or inconsistent stream also fails and leaves it empty.
    [[nodiscard]] bool Read(Stream& in);
    [[nodiscard]] bool Write(Stream& out) const;

    static constexpr int kMaxDepth = 200;

private:
    enum class ReadResult { Ok, BadMagic, Corrupt };
    ReadResult ReadBody(Stream& in, int depth);

    std::string name_;
    PropertyMap properties_;
    ChildMap children_;
};

}  // namespace QV
