#pragma once

#include <cstdio>

#include "audio/IDataSource.h"

namespace orv {
namespace audio {

//! A data source that reads an open file.
class CFileSource : public IDataSource
{
public:
	//! Opens the UTF-8 named file for reading; a name that is empty, a file
	//! that does not open or one of 2 GiB or more leaves the source invalid.
	explicit CFileSource(const char* fileName);
	~CFileSource() override;

	bool isValid() override { return Valid; }
	int getCurrentPos() override;
	int getSize() override { return Size; }
	int read(void* output, int size) override;
	//! A target before the start or past the end stops at that end and
	//! reports false.
	bool seek(int amount, bool relative) override;

private:
	bool Valid = false;
	int Size = 0;
	std::FILE* File = nullptr;
};

} // namespace audio
} // namespace orv
