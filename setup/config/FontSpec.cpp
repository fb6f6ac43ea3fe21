#include "config/FontSpec.h"

namespace setup {

FontSpec ReadFontSpec(const QV::TreeNode& node) {
    FontSpec spec;
    if (const QV::TreeProperty* name = node.Property("Name"); name && name->Type() == QV::TypeWideString) {
        spec.hasFace = true;
        spec.face = name->Wide().substr(0, FontSpec::kMaxFace);
    }
    spec.height = node.GetInt("Height", FontSpec::kDefaultHeight);
    spec.bold = node.GetBool("Bold", 0) != 0;
    spec.italic = node.GetBool("Italic", 0) != 0;
    spec.underline = node.GetBool("Underline", 0) != 0;
    return spec;
}

}  // namespace setup
