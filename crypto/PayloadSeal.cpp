#include "crypto/PayloadSeal.h"

#include "base/Helpers.h"
#include "crypto/BlockCipherEnvelope.h"
#include "crypto/CipherTable.h"
#include "crypto/SecureWipe.h"
#include "crypto/clsMD5.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

// The five stored-format ciphers: keyed with MakeKey of the passphrase digest, which the
// header keeps so that a wrong passphrase is told before anything is decrypted.
class EnvelopeSeal final : public PayloadSeal {
public:
    explicit EnvelopeSeal(const CipherDescriptor& cipher) : cipher_(cipher) {}

    Result<std::string> NewCheckValue(std::string_view passphrase) override { return PassphraseDigest(passphrase); }

    Result<int64_t> SealedLength(int64_t plainSize) const override {
        if (plainSize == 0 && !cipher_.emptyAllowed) return MakeError(ErrorCode::EmptyInput);
        if (cipher_.blockSize == 0) return plainSize;
        if (plainSize > static_cast<int64_t>(kEnvelopeMaxPlain)) return MakeError(ErrorCode::TooLargeForFormat);
        return static_cast<int64_t>(EnvelopeLength(static_cast<std::size_t>(plainSize), cipher_.blockSize));
    }

    bool Randomised() const override { return cipher_.blockSize != 0; }

private:
    Status DoSeal(const std::string& inPath, const std::string& outPath, const SealKey& key,
                  const SealCallbacks& callbacks) override {
        std::string digest = PassphraseDigest(key.passphrase);
        std::string keyString = MakeKey(digest);
        SecureWipe(digest);
        const Status sealed = Reporting(callbacks)->EncryptFile(inPath, outPath, true, keyString);
        SecureWipe(keyString);
        return sealed;
    }

    Status DoOpen(const std::string& inPath, const std::string& outPath, const SealKey& key,
                  const SealCallbacks& callbacks) override {
        std::string digest = PassphraseDigest(key.passphrase);
        const bool matches = digest == key.checkValue;
        std::string keyString = matches ? MakeKey(digest) : std::string();
        SecureWipe(digest);
        if (!matches) return MakeError(ErrorCode::WrongKey);
        Status opened = Reporting(callbacks)->DecryptFile(inPath, outPath, true, keyString);
        SecureWipe(keyString);
        // The digest matched, so a failed size check means damaged data, not a wrong key.
        if (!opened && opened.error().code == ErrorCode::WrongKey) return MakeError(ErrorCode::CorruptData);
        return opened;
    }

    std::unique_ptr<Cipher> Reporting(const SealCallbacks& callbacks) const {
        std::unique_ptr<Cipher> cipher = cipher_.create();
        cipher->Progress = callbacks.progress;
        return cipher;
    }

    const CipherDescriptor& cipher_;
};

// XChaCha20-Poly1305: the salt stands in the check field, the tag tells a wrong passphrase,
// and the header is authenticated with the data.
class AuthenticatedSeal final : public PayloadSeal {
public:
    Result<std::string> NewCheckValue(std::string_view) override {
        clsXChaCha20 fresh;  // draws a random salt
        if (fresh.Salt().empty()) return MakeError(ErrorCode::CryptoUnavailable);
        return fresh.Salt();
    }

    Result<int64_t> SealedLength(int64_t plainSize) const override {
        return plainSize + static_cast<int64_t>(kXChaChaOverhead);
    }

    bool Randomised() const override { return true; }

private:
    Status DoSeal(const std::string& inPath, const std::string& outPath, const SealKey& key,
                  const SealCallbacks& callbacks) override {
        clsXChaCha20 cipher;
        if (Status keyed = Key(cipher, key, callbacks); !keyed) return keyed;
        return cipher.EncryptFile(inPath, outPath, true, {});
    }

    Status DoOpen(const std::string& inPath, const std::string& outPath, const SealKey& key,
                  const SealCallbacks& callbacks) override {
        clsXChaCha20 cipher;
        if (Status keyed = Key(cipher, key, callbacks); !keyed) return keyed;
        return cipher.DecryptFile(inPath, outPath, true, {});
    }

    // Derives the key ahead of the file work, so the caller's hook frames only the derivation.
    static Status Key(clsXChaCha20& cipher, const SealKey& key, const SealCallbacks& callbacks) {
        if (Status salted = cipher.SetSalt(key.checkValue); !salted) return salted;
        cipher.SetAssociatedData(key.header);
        std::string passphrase(key.passphrase);
        cipher.SetKey(passphrase);  // keeps its own copy, wiped with the cipher
        SecureWipe(passphrase);
        const std::function<Status()> derive = [&cipher] { return cipher.DeriveKey(); };
        if (Status derived = callbacks.deriveKey ? callbacks.deriveKey(derive) : derive(); !derived) return derived;
        cipher.Progress = callbacks.progress;
        return {};
    }
};

}  // namespace

std::unique_ptr<PayloadSeal> SealFor(uint8_t cipherIndex) {
    const CipherDescriptor& cipher = DescribeCipher(cipherIndex);
    switch (cipher.sealing) {
        case Sealing::LegacyEnvelope:
            return std::make_unique<EnvelopeSeal>(cipher);
        case Sealing::Authenticated:
            return std::make_unique<AuthenticatedSeal>();
    }
    return nullptr;
}

std::string PassphraseDigest(std::string_view passphrase) {
    std::string copy(passphrase);
    std::string hex = clsMD5().DigestStrToHexStr(copy);
    std::string digest = HexToBin(hex);
    SecureWipe(copy);
    SecureWipe(hex);
    return digest;
}

}  // namespace tarnwerk
