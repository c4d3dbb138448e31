#include "sdk/TextForms.h"

#include "sdk/foundation/CryptoInit.h"

#include <cstring>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <random>

namespace qlkit {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

} // namespace

void RIGHexFromByte(std::uint8_t byte, char* out)
{
    if (!out)
        return;
    out[0] = kDigits[byte >> 4];
    out[1] = kDigits[byte & 0x0F];
}

void RIGHexFromBytes(const std::uint8_t* bytes, std::size_t count, char* out)
{
    if (!out)
        return;
    std::memset(out, 0, 2 * count + 1);
    if (!bytes)
        return;
    for (std::size_t i = 0; i < count; ++i)
        RIGHexFromByte(bytes[i], out + 2 * i);
}

std::string RIGHexStringFromData(std::string_view data)
{
    std::string out(2 * data.size() + 1, '\0');
    RIGHexFromBytes(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), out.data());
    out.pop_back();
    return out;
}

std::string RIGSHA1HexStringFromBytes(const void* bytes, std::uint32_t length)
{
    initialiseCrypto();
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(static_cast<const unsigned char*>(bytes ? bytes : ""), length, digest);
    return RIGHexStringFromData(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::string RIGSHA1HexStringFromData(std::string_view data)
{
    return RIGSHA1HexStringFromBytes(data.data(), std::uint32_t(data.size()));
}

void RIGEnumerateByteRangesInData(std::string_view data,
                                  const std::function<void(const std::uint8_t*, ByteRange, bool& stop)>& block)
{
    bool stop = false;
    block(reinterpret_cast<const std::uint8_t*>(data.data()), ByteRange {0, data.size()}, stop);
}

std::string RIGGenerateUUIDString()
{
    initialiseCrypto();
    std::uint8_t bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        std::random_device device;
        for (auto& byte : bytes)
            byte = std::uint8_t(device());
    }
    bytes[6] = std::uint8_t((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = std::uint8_t((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static constexpr char kUpper[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += kUpper[bytes[i] >> 4];
        out += kUpper[bytes[i] & 0x0F];
    }
    return out;
}

std::string RIGHexStringFromUUIDBytes(const std::uint8_t* bytes)
{
    return RIGHexStringFromData(std::string_view(reinterpret_cast<const char*>(bytes), 16));
}

} // namespace qlkit
