#pragma once

#include <unistd.h>

namespace lumdrak
{

// Owns one POSIX file descriptor (-1 for none) and closes it when it goes.
class CFileDescriptor
{
public:
    explicit CFileDescriptor(int nFd = -1) : m_nFd(nFd) {}
    ~CFileDescriptor() { Close(); }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_nFd; }
    bool IsOpen() const { return m_nFd >= 0; }

    void Reset(int nFd)
    {
        Close();
        m_nFd = nFd;
    }

    // Closing any descriptor of a file drops every POSIX lock the process holds on it, which
    // SQLite relies on: a caller that opens a file SQLite uses closes its own descriptor first.
    void Close()
    {
        if (m_nFd >= 0) close(m_nFd);
        m_nFd = -1;
    }

private:
    int m_nFd;
};

} // namespace lumdrak
