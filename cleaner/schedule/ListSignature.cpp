#include "schedule/ListSignature.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kUpdatePublicKey[64] = {
#include "schedule/UpdatePublicKey.inc"
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

const uint8_t (&UpdatePublicKey())[64] { return kUpdatePublicKey; }

ListSignature::ListSignature(const uint8_t (&publicKey)[64]) {
    if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm_.Receive(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        algorithm_.Release();
        return;
    }
    uint8_t blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob, &header, sizeof header);
    std::memcpy(blob + sizeof header, publicKey, 64);
    if (!Succeeded(::BCryptImportKeyPair(algorithm_.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key_.Receive(), blob,
                                         sizeof blob, 0)))
        key_.Release();
}

bool ListSignature::Verify(const std::vector<uint8_t>& data, const std::vector<uint8_t>& signature) const {
    if (!key_ || signature.size() != 64) return false;
    update::Sha256Digest digest = Sha256(data);
    std::vector<uint8_t> sig = signature;
    return ::BCryptVerifySignature(key_.Get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()), sig.data(),
                                   static_cast<ULONG>(sig.size()), 0) == 0;
}

update::Sha256Digest ListSignature::Sha256(const std::vector<uint8_t>& data) {
    CngAlgorithm algorithm;
    if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm.Receive(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        algorithm.Release();  // a failed call leaves nothing to close
        return {};
    }
    CngHash hash;
    if (!Succeeded(::BCryptCreateHash(algorithm.Get(), hash.Receive(), nullptr, 0, nullptr, 0, 0))) {
        hash.Release();
        return {};
    }
    // BCryptHashData takes at most 4 GiB at a time; fetched files are far smaller, but feed it in
    // pieces all the same.
    size_t done = 0;
    while (done < data.size()) {
        const ULONG piece = static_cast<ULONG>(std::min<size_t>(data.size() - done, 1u << 30));
        if (!Succeeded(::BCryptHashData(hash.Get(), const_cast<PUCHAR>(data.data() + done), piece, 0))) return {};
        done += piece;
    }
    update::Sha256Digest out{};
    if (!Succeeded(::BCryptFinishHash(hash.Get(), out.data(), static_cast<ULONG>(out.size()), 0))) return {};
    return out;
}
