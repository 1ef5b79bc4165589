// Whether an album can be written back to its frame at all. The index block is rewritten by
// erasing the 64 KB block it starts; when the index does not start a block, that block also
// holds the frame's protected bytes below the index, so such a frame's album is read-only.
#pragma once

#include <string>

namespace framewise {

class Language;

bool AlbumWritable(int indexAddress);

// The one message that refuses a change or a write of a read-only album, in the current
// language's form (Chinese or English).
std::string ReadOnlyAlbumText(const Language& language, int indexAddress);

}  // namespace framewise
