#include "app/BalloonField.h"

#include <cstring>

void CopyToField(char* field, size_t fieldSize, const std::string& text) {
    if (fieldSize == 0) return;
    const size_t n = text.size() < fieldSize - 1 ? text.size() : fieldSize - 1;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
