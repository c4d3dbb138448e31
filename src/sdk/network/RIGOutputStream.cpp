#include "sdk/network/RIGOutputStream.h"

#include "sdk/foundation/FileOps.h"

namespace qlkit {

long RIGMemoryOutputStream::write(const void* bytes, std::size_t length)
{
    m_data.append(static_cast<const char*>(bytes), length);
    return long(length);
}

bool RIGFileOutputStream::open()
{
    if (m_file)
        return true;
    m_file = files::streamOf(files::createOwnFile(m_path), "wb");
    m_failed = m_failed || !m_file;
    return m_file != nullptr;
}

long RIGFileOutputStream::write(const void* bytes, std::size_t length)
{
    if (!m_file) {
        m_failed = true;
        return -1;
    }
    const std::size_t written = std::fwrite(bytes, 1, length, m_file);
    m_failed = m_failed || written != length;
    return long(written);
}

void RIGFileOutputStream::close()
{
    if (m_file && std::fclose(m_file) != 0)
        m_failed = true;
    m_file = nullptr;
}

} // namespace qlkit
