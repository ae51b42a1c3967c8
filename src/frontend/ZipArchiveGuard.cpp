#include "frontend/ZipArchiveGuard.h"

#include <algorithm>
#include <cstring>

#include <zip.h>

namespace orv {

namespace {

const char* const BAD_DIRECTORY = "its central directory is damaged";
const char* const BAD_METHOD = "an entry is encrypted or compressed in a way the client does not read";
const char* const BAD_ENTRY_SIZE = "an entry's sizes are out of range";
const char* const BAD_NAME = "an entry's name is empty or too long";
const char* const TOO_MANY = "it holds too many entries";

// Deflate codes at most 258 bytes in two bits.
const zip_uint64_t DEFLATE_MAX_RATIO = 1032;
const zip_uint64_t DEFLATE_SLACK = 1024;

bool refuse(const char*& refusal, const char* reason)
{
	refusal = reason;
	return false;
}

bool checkEntry(const zip_stat_t& entry, const char*& refusal)
{
	const zip_uint64_t needed = ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD |
		ZIP_STAT_ENCRYPTION_METHOD;
	if ((entry.valid & needed) != needed)
		return refuse(refusal, BAD_DIRECTORY);
	const size_t nameBytes = std::strlen(entry.name);
	if (nameBytes == 0 || nameBytes > ZIP_MAX_NAME_BYTES)
		return refuse(refusal, BAD_NAME);
	if (entry.encryption_method != ZIP_EM_NONE)
		return refuse(refusal, BAD_METHOD);
	if (entry.comp_method != ZIP_CM_STORE && entry.comp_method != ZIP_CM_DEFLATE)
		return refuse(refusal, BAD_METHOD);
	if (entry.size > ZIP_MAX_ENTRY_BYTES)
		return refuse(refusal, BAD_ENTRY_SIZE);
	if (entry.comp_method == ZIP_CM_STORE && entry.comp_size != entry.size)
		return refuse(refusal, BAD_ENTRY_SIZE);
	// The packed size is bounded too, so the product cannot overflow.
	if (entry.comp_method == ZIP_CM_DEFLATE &&
		entry.size > std::min<zip_uint64_t>(entry.comp_size, ZIP_MAX_ENTRY_BYTES) * DEFLATE_MAX_RATIO + DEFLATE_SLACK)
		return refuse(refusal, BAD_ENTRY_SIZE);
	return true;
}

} // namespace

bool checkZipEntries(zip* archive, const char*& refusal)
{
	const zip_int64_t count = zip_get_num_entries(archive, 0);
	if (count < 0)
		return refuse(refusal, BAD_DIRECTORY);
	if (static_cast<zip_uint64_t>(count) > ZIP_MAX_ENTRIES)
		return refuse(refusal, TOO_MANY);
	for (zip_int64_t i = 0; i < count; ++i)
	{
		zip_stat_t entry;
		if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &entry) != 0)
			return refuse(refusal, BAD_DIRECTORY);
		if (!checkEntry(entry, refusal))
			return false;
	}
	return true;
}

} // namespace orv
