#pragma once
// The allocator of the audio library's containers and the container types
// built on it, so that maps, lists and wide names take their memory from the
// memory provider too.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "audio/IMemoryProvider.h"

namespace orv {
namespace audio {

template <class T> class CAudioAllocator
{
public:
	typedef T value_type;

	CAudioAllocator() noexcept = default;
	template <class U> CAudioAllocator(const CAudioAllocator<U>&) noexcept {}

	T* allocate(std::size_t count)
	{
		if (count > UINT32_MAX / sizeof(T))
			throw std::bad_alloc();
		void* block = getMemoryProvider()->Allocate(static_cast<uint32_t>(count * sizeof(T)), nullptr, -1, nullptr);
		if (!block)
			throw std::bad_alloc();
		return static_cast<T*>(block);
	}
	void deallocate(T* pointer, std::size_t) noexcept { getMemoryProvider()->Deallocate(pointer); }

	template <class U> bool operator==(const CAudioAllocator<U>&) const noexcept { return true; }
	template <class U> bool operator!=(const CAudioAllocator<U>&) const noexcept { return false; }
};

//! Wide (UTF-16) text as the library stores names, extensions and file names.
typedef std::basic_string<char16_t, std::char_traits<char16_t>, CAudioAllocator<char16_t>> AudioWString;

template <class T> using AudioVector = std::vector<T, CAudioAllocator<T>>;
template <class T> using AudioList = std::list<T, CAudioAllocator<T>>;
template <class K, class V> using AudioMap = std::map<K, V, std::less<K>, CAudioAllocator<std::pair<const K, V>>>;
template <class K> using AudioSet = std::set<K, std::less<K>, CAudioAllocator<K>>;

//! The pointer a registry keeps under a key, or null when it has none.
template <class Map> typename Map::mapped_type findOrNull(const Map& map, const typename Map::key_type& key)
{
	const auto found = map.find(key);
	return found == map.end() ? nullptr : found->second;
}

} // namespace audio
} // namespace orv
