// Where encoded bodies go: memory or a file. write() reports how many bytes
// the stream took, or -1.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

namespace qlkit {

class RIGOutputStream {
public:
    virtual ~RIGOutputStream() = default;
    virtual bool open() = 0;
    virtual long write(const void* bytes, std::size_t length) = 0;
    virtual void close() = 0;
};

class RIGMemoryOutputStream final : public RIGOutputStream {
public:
    bool open() override { return true; }
    long write(const void* bytes, std::size_t length) override;
    void close() override {}
    const std::string& data() const { return m_data; }

private:
    std::string m_data;
};

// A new file, made anew (whatever stood at the path goes, and nothing is
// written through a link).
class RIGFileOutputStream final : public RIGOutputStream {
public:
    explicit RIGFileOutputStream(std::filesystem::path path) : m_path(std::move(path)) {}
    ~RIGFileOutputStream() override { close(); }
    bool open() override;
    long write(const void* bytes, std::size_t length) override;
    void close() override;
    // It could not be opened, or a write or the final flush fell short.
    bool failed() const { return m_failed; }

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};

} // namespace qlkit
