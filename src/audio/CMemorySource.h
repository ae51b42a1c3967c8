#pragma once

#include "audio/IDataSource.h"

namespace orv {
namespace audio {

//! A data source over its own copy of a block of bytes.
class CMemorySource : public IDataSource
{
public:
	//! Copies `size` bytes; null data, a size below 1 or a failed allocation
	//! leave the source invalid with size 0.
	CMemorySource(const void* data, int size);
	~CMemorySource() override;

	bool isValid() override { return Valid; }
	int getCurrentPos() override { return Position; }
	int getSize() override { return Size; }
	int read(void* output, int size) override;
	//! A target past the end stops at the end, one before the start at the
	//! start; both report false.
	bool seek(int amount, bool relative) override;

private:
	char* Data = nullptr;
	int Size = 0;
	bool Valid = false;
	int Position = 0;
};

} // namespace audio
} // namespace orv
