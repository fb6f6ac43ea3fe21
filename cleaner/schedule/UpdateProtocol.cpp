#include "schedule/UpdateProtocol.h"

#include <cstdio>

namespace update {

bool IsKnownCode(uint32_t code) {
    switch (code) {
        case kConnecting: case kChecking: case kDownloadsBegin: case kFileBegins: case kSucceeded:
        case kFileProgress: case kListUnreadable: case kServerUnreachable: case kNothingToFetch:
            return true;
        default: return false;
    }
}

bool IsFinalCode(uint32_t code) {
    return code == kSucceeded || code == kListUnreadable || code == kServerUnreachable ||
           code == kNothingToFetch;
}

uint32_t PerMille(uint64_t received, uint64_t total) {
    if (total == 0) return 0;
    if (received >= total) return kPerMille;
    return static_cast<uint32_t>(received * kPerMille / total);
}

std::string SucceededText(uint32_t filesFetched) {
    char text[96];
    std::snprintf(text, sizeof text, "Update successfully completed.\n%u plugins updated.", filesFetched);
    return text;
}

std::string StatusText(uint32_t code, uint32_t filesFetched) {
    switch (code) {
        case kConnecting: return "Connecting to server...";
        case kChecking: return "Checking available updates...";
        case kSucceeded: return SucceededText(filesFetched);
        case kListUnreadable: return "Error! Can not finish update process.\nPlease check your Internet connection.";
        case kServerUnreachable: return "Error! Can not find server.\nPlease check your Internet connection.";
        case kNothingToFetch: return "No need to update!";
        default: return {};
    }
}

std::string FileText(const std::string& fileName) { return "Updating...\n\"" + fileName + "\""; }

std::string StoppedText(uint32_t filesSaved) {
    if (filesSaved == 0) return "Update process breaked by user.";
    char text[96];
    std::snprintf(text, sizeof text, "Update process breaked by user.\n%u plugins updated.", filesSaved);
    return text;
}

}  // namespace update
