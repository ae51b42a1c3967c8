#include "net/CReceiveStream.h"

namespace orv {
namespace net {

namespace {

//! Drops the consumed front once it is at least as large as what is still live, so every byte is
//! moved at most once for each time it is consumed.
void compact(packet& bytes)
{
	const irr::u32 head = bytes.getReadPosition();
	if (head == bytes.getSize())
		bytes.clear();
	else if (head != 0 && head >= bytes.getSize() - head)
		bytes.removeRead();
}

} // namespace

void CReceiveStream::append(const irr::u8* data, std::size_t size)
{
	if (size != 0)
		Received.appendBytes(data, static_cast<irr::u32>(size));
}

void CReceiveStream::process(IReceiveSink& sink)
{
	const irr::u32 size = Received.getSize();
	irr::u32 pos = Received.getReadPosition();
	while (size - pos >= 2)
	{
		const irr::u8* head = Received.getData() + pos;
		const irr::u32 length = (irr::u32(head[0]) << 8) | head[1];
		if (length > size - pos - 2)
			break;
		pos += 2 + length;
		Received.setReadPosition(pos);
		if (sink.decodeBlock(head + 2, length, Decoded) && !cutFrames(sink, size))
			return;
		if (Received.getSize() != size)
			return;
	}
	Received.removeRead();
}

bool CReceiveStream::cutFrames(IReceiveSink& sink, irr::u32 receivedSize)
{
	while (Decoded.getBytesLeft() != 0)
	{
		const irr::u32 start = Decoded.getReadPosition();
		const irr::u32 available = Decoded.getSize() - start;
		const irr::u8* frame = Decoded.getData() + start;
		const irr::u32 width = frame[0];
		if (width > 4)
		{
			Decoded.clear();
			sink.reportStreamError("Frame length width above 4; the rest of the decoded bytes is dropped.");
			return true;
		}
		if (available - 1 < width)
			break;
		irr::u32 length = 0;
		for (irr::u32 i = 0; i < width; ++i)
			length = (length << 8) | frame[1 + i];
		if (length > MaxFrameLength)
		{
			Decoded.clear();
			sink.reportStreamError("Frame longer than 16 MiB; the rest of the decoded bytes is dropped.");
			return true;
		}
		if (length > available - 1 - width)
			break;

		// The read position moves before the dispatch, so a handler never meets this frame again.
		const irr::u32 next = start + 1 + width + length;
		const irr::u32 decodedSize = Decoded.getSize();
		Decoded.setReadPosition(next);
		sink.dispatchFrame(frame + 1 + width, length);
		if (Decoded.getSize() != decodedSize || Decoded.getReadPosition() != next || Received.getSize() != receivedSize)
			return false;
	}
	compact(Decoded);
	return true;
}

} // namespace net
} // namespace orv
