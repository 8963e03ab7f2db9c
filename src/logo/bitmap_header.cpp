#include "logo/bitmap_header.h"

#include <cstdint>
#include <cstdlib>

namespace keldaro::logo {
namespace {

std::uint32_t Le(QByteArrayView bytes, qsizetype at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

constexpr std::uint32_t kCoreHeader = 12;  // the OS/2 header: 16-bit width and height
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

}  // namespace

bool BitmapDataComplete(QByteArrayView head, qint64 file_size) {
  if (head.size() < kBitmapHeadBytes || head[0] != 'B' || head[1] != 'M') return true;
  const std::int64_t offset = Le(head, 10, 4);
  const std::uint32_t info_size = Le(head, 14, 4);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  if (info_size == kCoreHeader) {
    width = Le(head, 18, 2);
    height = Le(head, 20, 2);
    bits = Le(head, 24, 2);
  } else {
    width = static_cast<std::int32_t>(Le(head, 18, 4));
    height = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(Le(head, 22, 4))));
    bits = Le(head, 28, 2);
    compression = Le(head, 30, 4);
  }
  // Run-length or embedded JPEG/PNG data has no size the header gives away.
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields) {
    return true;
  }
  if (width <= 0 || bits == 0 || bits > 32) return true;  // not a picture the check can size
  const std::int64_t row_bytes = (width * bits + 31) / 32 * 4;
  return offset + row_bytes * height <= file_size;
}

}  // namespace keldaro::logo
