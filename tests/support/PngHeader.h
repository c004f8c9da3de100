// PNG files whose header declares a size their data does not hold: for testing that a
// size is checked before any pixel is decoded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace test {

inline uint32_t Crc32(const std::string& bytes)
{
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::string BigEndian(uint32_t v)
{
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline std::string Chunk(const std::string& type, const std::string& data)
{
  return BigEndian(uint32_t(data.size())) + type + data + BigEndian(Crc32(type + data));
}

// An 8-bit RGB PNG header of width x height followed by image data that cannot be decoded.
inline void WritePngHeader(const std::filesystem::path& file, uint32_t width, uint32_t height)
{
  std::string header = BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5);
  std::ofstream(file, std::ios::binary) << "\x89PNG\r\n\x1a\n" << Chunk("IHDR", header)
                                        << Chunk("IDAT", "not deflate data") << Chunk("IEND", "");
}

}  // namespace test
