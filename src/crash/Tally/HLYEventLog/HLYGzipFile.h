// Compresses a whole open file into a gzip stream (header and trailer), in
// small chunks so that a large log never sits in memory at once.
#pragma once

#include <cstdio>

namespace qlkit {

// 0 on success, -1 on any failure (reading, compressing, writing).
int HLYGzipFile(std::FILE* source, std::FILE* destination);

} // namespace qlkit
