// Arithmetic in GF(256) with the reducing polynomial x^8 + x^4 + x^3 + x^2 + 1,
// and the Reed-Solomon generator polynomials QR Code uses.
#pragma once

#include <array>
#include <cstdint>

namespace ql::qrgf {

struct Tables {
    std::array<uint8_t, 256> exp{}; // exp[i] = 2^i; exp[255] = 1
    std::array<uint8_t, 256> log{}; // inverse of exp; log[0] is never read
    // exp over two periods, so that a sum of two logarithms needs no modulo.
    std::array<uint8_t, 2 * 255> expOfSum{};
};

constexpr Tables makeTables()
{
    Tables t;
    int value = 1;
    for (int i = 0; i < 255; ++i) {
        t.exp[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
        t.log[static_cast<size_t>(value)] = static_cast<uint8_t>(i);
        value <<= 1;
        if (value & 0x100)
            value ^= 0x11D;
    }
    t.exp[255] = 1;
    for (int i = 0; i < 2 * 255; ++i)
        t.expOfSum[static_cast<size_t>(i)] = t.exp[static_cast<size_t>(i % 255)];
    return t;
}

inline constexpr Tables kTables = makeTables();

// The longest error-correction run of any block.
constexpr int kMaxGeneratorDegree = 30;

// Exponents of the coefficients of (x - 2^0)(x - 2^1)...(x - 2^(n-1)) from
// x^(n-1) down to x^0; the leading coefficient 1 is left out.
struct Generator {
    int degree = 0;
    std::array<uint8_t, kMaxGeneratorDegree> exponents{};
};

constexpr uint8_t multiply(uint8_t a, uint8_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return kTables.exp[(kTables.log[a] + kTables.log[b]) % 255];
}

constexpr Generator makeGenerator(int degree)
{
    // coefficients[k] is the coefficient of x^k; start from the polynomial 1.
    std::array<uint8_t, kMaxGeneratorDegree + 1> coefficients{};
    coefficients[0] = 1;
    for (int root = 0; root < degree; ++root) {
        const uint8_t factor = kTables.exp[static_cast<size_t>(root)];
        for (int k = root + 1; k >= 1; --k)
            coefficients[static_cast<size_t>(k)] = static_cast<uint8_t>(
                coefficients[static_cast<size_t>(k - 1)] ^ multiply(coefficients[static_cast<size_t>(k)], factor));
        coefficients[0] = multiply(coefficients[0], factor);
    }
    Generator g;
    g.degree = degree;
    for (int j = 0; j < degree; ++j)
        g.exponents[static_cast<size_t>(j)] = kTables.log[coefficients[static_cast<size_t>(degree - 1 - j)]];
    return g;
}

constexpr std::array<Generator, kMaxGeneratorDegree + 1> makeGenerators()
{
    std::array<Generator, kMaxGeneratorDegree + 1> all{};
    for (int n = 1; n <= kMaxGeneratorDegree; ++n)
        all[static_cast<size_t>(n)] = makeGenerator(n);
    return all;
}

inline constexpr std::array<Generator, kMaxGeneratorDegree + 1> kGenerators = makeGenerators();

static_assert(kGenerators[7].exponents[0] == 87 && kGenerators[7].exponents[6] == 21);

} // namespace ql::qrgf
