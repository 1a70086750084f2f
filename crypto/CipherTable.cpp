#include "crypto/CipherTable.h"

#include <array>

#include "crypto/clsBlowfish.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

template <class C>
std::unique_ptr<Cipher> Make() {
    return std::make_unique<C>();
}

constexpr std::array<CipherDescriptor, 6> kTable{{
    {CipherIndex::Blowfish, "blowfish", "Blowfish", Sealing::LegacyEnvelope, clsBlowfish::kBlockSize, true,
     &Make<clsBlowfish>},
    {CipherIndex::RC4, "rc4", "RC4", Sealing::LegacyEnvelope, 0, false, &Make<clsRC4>},
    {CipherIndex::Skipjack, "skipjack", "Skipjack", Sealing::LegacyEnvelope, clsSkipjack::kBlockSize, false,
     &Make<clsSkipjack>},
    {CipherIndex::TEA, "tea", "TEA", Sealing::LegacyEnvelope, clsTEA::kBlockSize, false, &Make<clsTEA>},
    {CipherIndex::Twofish, "twofish", "Twofish", Sealing::LegacyEnvelope, clsTwofish::kBlockSize, false,
     &Make<clsTwofish>},
    {CipherIndex::XChaCha20, "xchacha20", "XChaCha20-Poly1305", Sealing::Authenticated, 0, true, &Make<clsXChaCha20>},
}};

constexpr bool InStoredOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (static_cast<std::size_t>(kTable[i].index) != i) return false;
    return true;
}
static_assert(InStoredOrder(), "the position in the table is the stored index");

}  // namespace

std::span<const CipherDescriptor> CipherTable() { return kTable; }

const CipherDescriptor& DescribeCipher(uint8_t index) { return index < kTable.size() ? kTable[index] : kTable[0]; }

}  // namespace tarnwerk
