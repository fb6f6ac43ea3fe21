#pragma once
// The update lists' signatures and the fetched files' hashes, checked with the platform's own
// cryptography (CNG): ECDSA P-256 over SHA-256, the signature as r||s.
#include "platform/CngHandles.h"
#include "schedule/UpdateLists.h"

#include <cstdint>
#include <vector>

class ListSignature {
public:
    // The public key as X||Y (64 bytes); a key that does not import verifies nothing.
    explicit ListSignature(const uint8_t (&publicKey)[64]);

    [[nodiscard]] bool Verify(const std::vector<uint8_t>& data, const std::vector<uint8_t>& signature) const;

    // SHA-256 through CNG (the hash object form, which Windows 7 has as well); all zero when the
    // provider cannot be opened, which matches no signed hash.
    [[nodiscard]] static update::Sha256Digest Sha256(const std::vector<uint8_t>& data);

private:
    CngAlgorithm algorithm_;
    CngKey key_;
};

// The key the program's lists are signed with (the build takes it from a file).
[[nodiscard]] const uint8_t (&UpdatePublicKey())[64];
