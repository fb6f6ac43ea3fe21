#pragma once
#include "engine/VolumeMedia.h"

#include <mutex>
#include <string>
#include <unordered_map>

// The system's answer: the volume that holds a path, asked for its storage properties (seek
// penalty, trim) once per volume. Wine answers neither, so its volumes count as rotating.
class Win32VolumeMediaQuery : public VolumeMediaQuery {
public:
    VolumeFacts FactsOf(const std::string& path) override;

    // The program's one instance, installed as the engine's query.
    static void Install();

private:
    std::mutex mutex_;  // the Settings page asks from the window while a run may ask from its worker
    std::unordered_map<std::wstring, VolumeFacts> volumes_;
};
