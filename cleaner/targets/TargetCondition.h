#pragma once
#include <cstdint>
#include <string>

// A condition of a target: whether the program it cleans is on this machine (kinds in
// TargetConditions.h). Plug-in files and imports carry them; the catalogue asks them when it
// decides which targets to offer, and once offered a target's Kill is never stopped by them.
struct TargetCondition {
    uint32_t kind = 1;
    std::string text;
    uint32_t number = 0;
    std::string secondText;

    bool operator==(const TargetCondition& o) const {
        return kind == o.kind && text == o.text && number == o.number && secondText == o.secondText;
    }
};
