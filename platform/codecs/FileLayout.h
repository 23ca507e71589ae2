#pragma once
// Walks over the structure of a picture file without decoding it (not part of the public
// interface). Two users: a decoder judging how much of a large image the file's coded data can
// paint counts only that data (bytes after the end marker or between segments paint nothing), and
// a reader of a stream that may never end asks where the picture's bytes end, or where they stop
// being a picture: data that makes no progress (empty chunks, fill bytes, zero-length records) or
// more coded data than the header's image can take.
#include <cstddef>
#include <cstdint>
#include <span>

namespace veskel::codec_detail {

inline constexpr std::size_t kNoEnd = SIZE_MAX;

struct FileLayout {
    // Coded picture data seen: JPEG scans' entropy-coded bytes (restart markers and stuffed bytes
    // with them), PNG IDAT data, the LZW data of a GIF's first image, a BMP's pixel bytes.
    std::uint64_t dataBytes = 0;
    // Where what a decoder reads ends: after the JPEG end marker, the PNG IEND chunk, the GIF's
    // first image, a BMP's pixels; or, for a stream, where its bytes stop being a picture.
    // kNoEnd while the bytes walked do not reach it. May lie beyond the bytes when the header
    // already tells (a BMP's pixels).
    std::size_t end = kNoEnd;
};

// How a walk treats data that does not advance the picture.
enum class Walk {
    Whole,   // a file read whole: walk to its end and count
    Stream,  // a stream: end where the data stalls or passes what the header allows
};

// Bytes of a stream that add nothing to its picture (segments, chunks or records that carry no
// picture data) taken in a row before the stream is taken to have stopped being a picture.
inline constexpr std::size_t kStreamStallBytes = std::size_t(8) << 20;

// `data` starts with the format's signature.
FileLayout JpegLayout(std::span<const std::uint8_t> data, Walk walk);
FileLayout PngLayout(std::span<const std::uint8_t> data, Walk walk);
FileLayout GifLayout(std::span<const std::uint8_t> data, Walk walk);
FileLayout BmpLayout(std::span<const std::uint8_t> data, Walk walk);

}  // namespace veskel::codec_detail
