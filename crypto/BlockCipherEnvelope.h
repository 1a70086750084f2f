// The envelope of the four block ciphers: two random values, the size descriptor and the data,
// zero-padded to whole blocks and enciphered in CBC with an all-zero chaining value.
//
//   offset 0   random value 1 (int32, little-endian, 0..2147483519)
//   offset 4   random value 2
//   offset 8   size descriptor n: the plain length (int32, little-endian)
//   offset 12  the n plain bytes, then zeros up to a multiple of the block size
//
// Each cipher supplies only its block: Derived provides
//   static constexpr std::size_t kBlockSize;  using Block = <words>;
//   static Block LoadBlock(const uint8_t*);  static void StoreBlock(uint8_t*, const Block&);
//   void EncipherBlock(Block&) const;  void DecipherBlock(Block&) const;
// Block is BlockWords<W, N>; the chaining exclusive-or on the loaded words equals a byte-wise one.
// The member definitions are instantiated once, in each cipher's own .cpp, so the block
// functions are inlined into the loops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "crypto/Cipher.h"
#include "crypto/CipherFiles.h"
#include "crypto/ProgressStep.h"
#include "crypto/SystemRandom.h"

namespace tarnwerk {

constexpr std::size_t kEnvelopeHeaderSize = 12;
constexpr std::size_t kEnvelopeSizeOffset = 8;
// The size descriptor is a signed 32-bit number; the padded total must stay below 2^31 too.
constexpr std::size_t kEnvelopeMaxTotal = 0x7FFFFFF0;
constexpr std::size_t kEnvelopeMaxPlain = kEnvelopeMaxTotal - kEnvelopeHeaderSize;

constexpr std::size_t EnvelopeLength(std::size_t plainSize, std::size_t blockSize) {
    const std::size_t total = plainSize + kEnvelopeHeaderSize;
    return (total + blockSize - 1) / blockSize * blockSize;
}

template <class W, std::size_t N>
struct BlockWords {
    W w[N];

    BlockWords& operator^=(const BlockWords& other) {
        for (std::size_t i = 0; i < N; ++i) w[i] = static_cast<W>(w[i] ^ other.w[i]);
        return *this;
    }
};

template <class Derived>
class BlockCipherEnvelope : public Cipher {
public:
    void EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) final;
    bool DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) final;
    Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;
    Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;

protected:
    Status EncryptBuffer(std::vector<uint8_t>& buffer, const std::string& key);
    Status DecryptBuffer(std::vector<uint8_t>& buffer, const std::string& key);

private:
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

template <class Derived>
void BlockCipherEnvelope<Derived>::EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    constexpr std::size_t B = Derived::kBlockSize;
    if (!key.empty()) SetKey(key);
    const std::size_t n = byteArray.size();
    const std::size_t total = EnvelopeLength(n, B);
    byteArray.resize(total);  // the new bytes are zero, which gives the padding
    uint8_t* data = byteArray.data();
    std::memmove(data + kEnvelopeHeaderSize, data, n);
    StoreLe32(data, DrawEnvelopeRandom());
    StoreLe32(data + 4, DrawEnvelopeRandom());
    StoreLe32(data + kEnvelopeSizeOffset, static_cast<uint32_t>(n));

    ProgressStep progress(Progress, static_cast<int64_t>(total));
    typename Derived::Block chain{};
    for (std::size_t offset = 0; offset < total; offset += B) {
        auto block = Derived::LoadBlock(data + offset);
        block ^= chain;
        self().EncipherBlock(block);
        Derived::StoreBlock(data + offset, block);
        chain = block;
        progress.After(static_cast<int64_t>(offset));
    }
    progress.Finish();
}

template <class Derived>
bool BlockCipherEnvelope<Derived>::DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    constexpr std::size_t B = Derived::kBlockSize;
    if (!key.empty()) SetKey(key);
    const std::size_t total = byteArray.size();
    uint8_t* data = byteArray.data();

    ProgressStep progress(Progress, static_cast<int64_t>(total));
    typename Derived::Block chain{};
    std::size_t offset = 0;
    for (; offset + B <= total; offset += B) {
        const auto cipherBlock = Derived::LoadBlock(data + offset);
        auto block = cipherBlock;
        self().DecipherBlock(block);
        block ^= chain;
        Derived::StoreBlock(data + offset, block);
        chain = cipherBlock;
        progress.After(static_cast<int64_t>(offset));
    }
    // An incomplete last block is left alone: nothing past the buffer is read or written.
    if (offset != total || total < kEnvelopeHeaderSize) return false;

    const auto n = static_cast<int32_t>(LoadLe32(data + kEnvelopeSizeOffset));
    const auto slack = static_cast<int64_t>(total) - n;
    if (n < 0 || slack < static_cast<int64_t>(kEnvelopeHeaderSize) || slack > static_cast<int64_t>(B + 11))
        return false;
    std::memmove(data, data + kEnvelopeHeaderSize, static_cast<std::size_t>(n));
    byteArray.resize(static_cast<std::size_t>(n));
    progress.Finish();
    return true;
}

template <class Derived>
Status BlockCipherEnvelope<Derived>::EncryptBuffer(std::vector<uint8_t>& buffer, const std::string& key) {
    if (buffer.size() > kEnvelopeMaxPlain) return MakeError(ErrorCode::TooLargeForFormat);
    EncryptByte(buffer, key);
    return {};
}

template <class Derived>
Status BlockCipherEnvelope<Derived>::DecryptBuffer(std::vector<uint8_t>& buffer, const std::string& key) {
    if (buffer.size() % Derived::kBlockSize != 0 || buffer.size() < EnvelopeLength(0, Derived::kBlockSize)) {
        return MakeError(ErrorCode::CorruptData);
    }
    if (!DecryptByte(buffer, key)) return MakeError(ErrorCode::WrongKey);
    return {};
}

template <class Derived>
Status BlockCipherEnvelope<Derived>::EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                                 const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Refused,
                         [&](std::vector<uint8_t>& buffer) { return EncryptBuffer(buffer, key); });
}

template <class Derived>
Status BlockCipherEnvelope<Derived>::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                                 const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Refused,
                         [&](std::vector<uint8_t>& buffer) { return DecryptBuffer(buffer, key); });
}

}  // namespace tarnwerk
