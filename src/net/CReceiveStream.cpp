#include "net/CReceiveStream.h"

namespace orv
{
namespace net
{

namespace
{

//! Drops the consumed prefix once it is at least as large as what is still live, so every byte is
//! moved at most once per time it is consumed.
void compact(std::vector<irr::u8>& bytes, std::size_t& head)
{
    if (head == 0)
        return;
    if (head == bytes.size())
    {
        bytes.clear();
        head = 0;
    }
    else if (head >= bytes.size() - head)
    {
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(head));
        head = 0;
    }
}

} // namespace

void CReceiveStream::append(const irr::u8* data, std::size_t size)
{
    if (size == 0)
        return;
    compact(m_received, m_receivedHead);
    m_received.insert(m_received.end(), data, data + size);
}

void CReceiveStream::clear()
{
    m_received.clear();
    m_receivedHead = 0;
    m_decoded.clear();
    m_decodedHead = 0;
    ++m_clears;
}

void CReceiveStream::process(IReceiveSink& sink)
{
    const irr::u32 clears = m_clears;
    std::size_t pos = m_receivedHead;
    while (m_received.size() - pos >= 2)
    {
        const std::size_t length = (std::size_t(m_received[pos]) << 8) | m_received[pos + 1];
        if (length > m_received.size() - pos - 2)
            break;
        const irr::u8* block = m_received.data() + pos + 2;
        pos += 2 + length;
        m_receivedHead = pos;

        const bool decoded = sink.decodeBlock(block, length, m_decoded);
        if (m_clears != clears)
            return;
        if (decoded && !cutFrames(sink))
            return;
    }
    m_receivedHead = pos;
    compact(m_received, m_receivedHead);
}

bool CReceiveStream::cutFrames(IReceiveSink& sink)
{
    const irr::u32 clears = m_clears;
    while (m_decodedHead < m_decoded.size())
    {
        const irr::u8* frame = m_decoded.data() + m_decodedHead;
        const std::size_t available = m_decoded.size() - m_decodedHead;
        const irr::u32 width = frame[0];
        if (width > 4)
        {
            dropDecoded(sink, "Frame length width above 4; the rest of the decoded bytes is dropped.");
            return true;
        }
        if (available - 1 < width)
            break;
        irr::u32 length = 0;
        for (irr::u32 i = 0; i < width; ++i)
            length = (length << 8) | frame[1 + i];
        if (length > MaxFrameLength)
        {
            dropDecoded(sink, "Frame longer than 16 MiB; the rest of the decoded bytes is dropped.");
            return true;
        }
        if (length > available - 1 - width)
            break;

        // The head moves before the dispatch, so a handler never sees this frame as pending.
        m_decodedHead += 1 + width + length;
        sink.dispatchFrame(frame + 1 + width, length);
        if (m_clears != clears)
            return false;
    }
    compact(m_decoded, m_decodedHead);
    return true;
}

void CReceiveStream::dropDecoded(IReceiveSink& sink, const char* message)
{
    m_decoded.clear();
    m_decodedHead = 0;
    sink.reportStreamError(message);
}

} // namespace net
} // namespace orv
