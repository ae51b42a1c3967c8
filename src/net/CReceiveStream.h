#ifndef ORV_NET_C_RECEIVE_STREAM_H_INCLUDED
#define ORV_NET_C_RECEIVE_STREAM_H_INCLUDED

#include <irrTypes.h>

#include <cstddef>
#include <vector>

namespace orv
{
namespace net
{

//! What the receive stream hands its blocks and frames to.
class IReceiveSink
{
public:
    virtual ~IReceiveSink() = default;

    //! Decodes one block (compression byte and payload, \p size bytes) and appends the result to \p out.
    //! False when the block yields nothing; \p out must then be left as it was.
    virtual bool decodeBlock(const irr::u8* block, std::size_t size, std::vector<irr::u8>& out) = 0;

    //! One complete frame's packet bytes.
    virtual void dispatchFrame(const irr::u8* frame, std::size_t size) = 0;

    //! The decoded bytes broke the frame format and were dropped.
    virtual void reportStreamError(const char* message) = 0;
};

//! Cuts the server's byte stream into blocks and the decoded bytes into frames.
/** Both buffers keep what is incomplete from one receive to the next: a block waits whole in the
    received bytes, a frame waits from its width byte on in the decoded bytes. Consumed bytes are
    skipped by an offset and only moved when the dead part outweighs the live part, so a pass costs
    time linear in the bytes it handles. */
class CReceiveStream
{
public:
    //! A pending frame may announce no more than this; beyond it the decoded bytes are dropped.
    static constexpr irr::u32 MaxFrameLength = 16u << 20;

    //! Adds bytes as they came from the socket.
    void append(const irr::u8* data, std::size_t size);

    //! Cuts every complete block, has it decoded and dispatches every complete frame.
    /** A sink may call clear() from inside a dispatch; the pass then ends at once. */
    void process(IReceiveSink& sink);

    //! Forgets everything buffered, both received and decoded bytes.
    void clear();

    //! Received bytes not yet cut into blocks.
    std::size_t getReceivedSize() const { return m_received.size() - m_receivedHead; }

    //! Decoded bytes not yet cut into frames.
    std::size_t getDecodedSize() const { return m_decoded.size() - m_decodedHead; }

private:
    //! False when the sink cleared the stream meanwhile.
    bool cutFrames(IReceiveSink& sink);
    void dropDecoded(IReceiveSink& sink, const char* message);

    std::vector<irr::u8> m_received;
    std::size_t m_receivedHead = 0;
    std::vector<irr::u8> m_decoded;
    std::size_t m_decodedHead = 0;
    irr::u32 m_clears = 0;
};

} // namespace net
} // namespace orv

#endif
