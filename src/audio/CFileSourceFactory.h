#pragma once

#include "audio/CAudioMutex.h"
#include "audio/IDataSource.h"

namespace orv {
namespace audio {

//! Opens sound files; a sound that is not streamed is read whole into a
//! memory source at once.
class CFileSourceFactory : public IDataSourceFactory
{
public:
	IDataSource* createDataSource(const char* fileName, bool streamingRequested) override;

private:
	CAudioMutex Mutex;
};

//! The process's file source factory, registered as "FileSystem".
CFileSourceFactory* getFileSourceFactory();

} // namespace audio
} // namespace orv
