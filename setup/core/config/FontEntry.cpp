#include "config/FontEntry.h"

namespace setup {

FontEntry ReadFontEntry(const QV::TreeNode& node) {
    FontEntry spec;
    if (const QV::TreeProperty* name = node.Property("Name"); name && name->Type() == QV::TypeWideString) {
        spec.hasFace = true;
        spec.face = name->Wide().substr(0, FontEntry::kMaxFace);
    }
    spec.height = node.GetInt("Height", FontEntry::kDefaultHeight);
    spec.bold = node.GetBool("Bold", 0) != 0;
    spec.italic = node.GetBool("Italic", 0) != 0;
    spec.underline = node.GetBool("Underline", 0) != 0;
    return spec;
}

}  // namespace setup
