#include "sdk/network/RIGOutputStream.h"

namespace qlkit {

long RIGMemoryOutputStream::write(const void* bytes, std::size_t length)
{
    m_data.append(static_cast<const char*>(bytes), length);
    return long(length);
}

bool RIGFileOutputStream::open()
{
    if (!m_file)
        m_file = std::fopen(m_path.c_str(), "wb");
    return m_file != nullptr;
}

long RIGFileOutputStream::write(const void* bytes, std::size_t length)
{
    if (!m_file)
        return -1;
    return long(std::fwrite(bytes, 1, length, m_file));
}

void RIGFileOutputStream::close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

} // namespace qlkit
