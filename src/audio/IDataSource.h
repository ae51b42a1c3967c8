#pragma once

#include "audio/IRefCounted.h"

namespace orv {
namespace audio {

//! The byte stream under a decoder: a file or a block of memory. Sizes and
//! positions are signed 32-bit byte counts.
class IDataSource : public IRefCounted
{
public:
	virtual bool isValid() = 0;
	//! Byte offset of the next read.
	virtual int getCurrentPos() = 0;
	virtual int getSize() = 0;
	//! Copies up to `size` bytes; returns how many.
	virtual int read(void* output, int size) = 0;
	//! Moves to `amount` (from the start, or from here when relative); false
	//! when that target could not be reached.
	virtual bool seek(int amount, bool relative) = 0;
};

//! Makes data sources from file names; registered with a manager by name and
//! priority.
class IDataSourceFactory
{
public:
	virtual ~IDataSourceFactory() = default;
	//! A data source for the UTF-8 file name (valid or not), or null when
	//! none could be allocated.
	virtual IDataSource* createDataSource(const char* fileName, bool streamingRequested) = 0;
};

} // namespace audio
} // namespace orv
