// Derives the hexadecimal fraction digits of pi, the source of Blowfish's P-array and S-boxes,
// and checks the committed table against them.
//
//   pi_hex_digits WORDS            print WORDS 32-bit words of the fraction, one per line
//   pi_hex_digits --emit           print the 18 + 1024 words as a C++ initialiser list
//   pi_hex_digits --check FILE     compare every 0xXXXXXXXX literal of FILE with the digits
//
// Machin's formula, pi = 16 atan(1/5) - 4 atan(1/239), in fixed point with 32-bit limbs: slow
// by big-number standards but self-contained and far below a second for the 1042 words needed.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBlowfishWords = 18 + 4 * 256;
constexpr std::size_t kGuardWords = 4;  // absorbs the truncation error of the series terms

// Limb 0 is the integer part, limbs 1.. the fraction, most significant first.
using Fixed = std::vector<uint32_t>;

void DivideSmall(Fixed& value, uint32_t divisor) {
    uint64_t remainder = 0;
    for (auto& limb : value) {
        const uint64_t current = (remainder << 32) | limb;
        limb = static_cast<uint32_t>(current / divisor);
        remainder = current % divisor;
    }
}

void Add(Fixed& sum, const Fixed& term) {
    uint64_t carry = 0;
    for (std::size_t i = sum.size(); i-- > 0;) {
        const uint64_t current = uint64_t{sum[i]} + term[i] + carry;
        sum[i] = static_cast<uint32_t>(current);
        carry = current >> 32;
    }
}

void Subtract(Fixed& difference, const Fixed& term) {
    int64_t borrow = 0;
    for (std::size_t i = difference.size(); i-- > 0;) {
        int64_t current = int64_t{difference[i]} - term[i] - borrow;
        borrow = current < 0 ? 1 : 0;
        if (current < 0) current += int64_t{1} << 32;
        difference[i] = static_cast<uint32_t>(current);
    }
}

bool IsZero(const Fixed& value) {
    for (const auto limb : value)
        if (limb != 0) return false;
    return true;
}

// scale * atan(1 / x) by its alternating series.
Fixed ScaledArctanInverse(uint32_t scale, uint32_t x, std::size_t limbs) {
    Fixed power(limbs, 0);
    power[0] = scale;
    DivideSmall(power, x);
    Fixed sum = power;
    const uint32_t xSquared = x * x;
    for (uint32_t k = 1;; ++k) {
        DivideSmall(power, xSquared);
        if (IsZero(power)) break;
        Fixed term = power;
        DivideSmall(term, 2 * k + 1);
        if (k % 2 == 1)
            Subtract(sum, term);
        else
            Add(sum, term);
    }
    return sum;
}

std::vector<uint32_t> PiFractionWords(std::size_t count) {
    const std::size_t limbs = 1 + count + kGuardWords;
    Fixed pi = ScaledArctanInverse(16, 5, limbs);
    Subtract(pi, ScaledArctanInverse(4, 239, limbs));
    return {pi.begin() + 1, pi.begin() + 1 + static_cast<std::ptrdiff_t>(count)};
}

std::vector<uint32_t> HexLiterals(const std::string& text) {
    std::vector<uint32_t> words;
    for (std::size_t i = 0; i + 10 <= text.size(); ++i) {
        if (text[i] != '0' || (text[i + 1] != 'x' && text[i + 1] != 'X')) continue;
        std::size_t digits = 0;
        while (i + 2 + digits < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2 + digits])))
            ++digits;
        if (digits == 8)
            words.push_back(static_cast<uint32_t>(std::strtoul(text.substr(i + 2, 8).c_str(), nullptr, 16)));
        i += 1 + digits;
    }
    return words;
}

int Check(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto committed = HexLiterals(text);
    const auto derived = PiFractionWords(kBlowfishWords);
    if (committed.size() != derived.size()) {
        std::fprintf(stderr, "%s holds %zu words, expected %zu\n", path, committed.size(), derived.size());
        return 1;
    }
    for (std::size_t i = 0; i < derived.size(); ++i) {
        if (committed[i] != derived[i]) {
            std::fprintf(stderr, "word %zu is %08X, pi gives %08X\n", i, committed[i], derived[i]);
            return 1;
        }
    }
    std::printf("%zu words match the hexadecimal digits of pi\n", derived.size());
    return 0;
}

void Emit() {
    const auto words = PiFractionWords(kBlowfishWords);
    for (std::size_t i = 0; i < words.size(); ++i)
        std::printf("0x%08X,%s", words[i], (i % 6 == 5 || i + 1 == words.size() || i == 17) ? "\n" : " ");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return Check(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--emit") == 0) {
        Emit();
        return 0;
    }
    if (argc == 2) {
        const long count = std::strtol(argv[1], nullptr, 10);
        if (count > 0) {
            for (const auto word : PiFractionWords(static_cast<std::size_t>(count))) std::printf("%08X\n", word);
            return 0;
        }
    }
    std::fprintf(stderr, "usage: %s WORDS | --emit | --check FILE\n", argv[0]);
    return 2;
}
