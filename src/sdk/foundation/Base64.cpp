#include "sdk/foundation/Base64.h"

namespace qlkit::base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string encodeRaw(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3) {
        std::uint32_t chunk = std::uint32_t(data[i]) << 16;
        if (i + 1 < size)
            chunk |= std::uint32_t(data[i + 1]) << 8;
        if (i + 2 < size)
            chunk |= data[i + 2];
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

} // namespace

std::string encode(const Bytes& bytes) { return encodeRaw(bytes.data(), bytes.size()); }

std::string encode(std::string_view text)
{
    return encodeRaw(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::optional<Bytes> decode(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                values[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0)
                return std::nullopt; // data after padding
            values[k] = sextet(c);
            if (values[k] < 0)
                return std::nullopt;
        }
        const std::uint32_t chunk = std::uint32_t(values[0]) << 18 | std::uint32_t(values[1]) << 12
                                    | std::uint32_t(values[2]) << 6 | std::uint32_t(values[3]);
        out.push_back(std::uint8_t(chunk >> 16));
        if (padding < 2)
            out.push_back(std::uint8_t(chunk >> 8));
        if (padding < 1)
            out.push_back(std::uint8_t(chunk));
    }
    return out;
}

} // namespace qlkit::base64
