#include "platform/codecs/FileLayout.h"

#include <algorithm>
#include <cstring>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"

namespace veskel::codec_detail {

namespace {

// Bytes a walk may take beyond what the header's image can use (headers of later scans, a frame's
// last partial chunk, encoders' own padding).
constexpr std::uint64_t kSlackBytes = std::uint64_t(1) << 20;

// Where a stream last advanced its picture: a walk of a stream ends once it has gone further than
// kStreamStallBytes past that.
class Progress {
public:
    Progress(Walk walk, std::size_t at) : stream_(walk == Walk::Stream), at_(at) {}
    void At(std::size_t at) { at_ = std::max(at_, at); }
    bool Stalled(std::size_t pos) const { return stream_ && pos > at_ && pos - at_ > kStreamStallBytes; }
    bool Stream() const { return stream_; }

private:
    bool stream_;
    std::size_t at_;
};

FileLayout EndingAt(FileLayout layout, std::size_t end) {
    layout.end = end;
    return layout;
}

// ---- JPEG

// The most entropy-coded bytes a block can take in one scan: 64 coefficients of at most 16 + 16
// bits, every byte of it possibly stuffed.
constexpr std::uint64_t kMaxScanBytesPerBlock = 512;
// What the decoder takes at most (it refuses the next scan).
constexpr int kMaxScans = 100;

bool IsFrameMarker(std::uint8_t m) {
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

}  // namespace

FileLayout JpegLayout(std::span<const std::uint8_t> d, Walk walk) {
    FileLayout out;
    const std::size_t n = d.size();
    std::size_t pos = 2;
    Progress progress(walk, pos);
    std::uint64_t blocks = 0, scanBytes = 0;
    int scans = 0;
    bool inScan = false;
    const auto nextFF = [&](std::size_t from) {
        const void* ff = std::memchr(d.data() + from, 0xFF, n - from);
        return ff ? std::size_t(static_cast<const std::uint8_t*>(ff) - d.data()) : n;
    };
    while (pos < n) {
        if (progress.Stalled(pos)) return EndingAt(out, pos);
        if (inScan) {
            // Entropy-coded data runs to the next marker; stuffed zero bytes and restart markers
            // belong to it.
            const std::size_t next = nextFF(pos);
            scanBytes += next - pos;
            pos = next;
            progress.At(pos);
            if (progress.Stream() && scanBytes > blocks * kMaxScanBytesPerBlock + kSlackBytes) return EndingAt(out, pos);
            if (pos + 1 >= n) break;
            const std::uint8_t m = d[pos + 1];
            if (m == 0x00 || (m >= 0xD0 && m <= 0xD7)) {
                scanBytes += 2;
                pos += 2;
            } else if (m == 0xFF) {
                ++pos;  // a fill byte before the marker
            } else {
                inScan = false;
                out.dataBytes += scanBytes;
            }
            progress.At(pos);
            continue;
        }
        if (d[pos] != 0xFF) {  // bytes between segments, which decoders skip
            pos = nextFF(pos);
            if (progress.Stalled(pos)) return EndingAt(out, pos);
            continue;
        }
        if (pos + 1 >= n) break;
        const std::uint8_t m = d[pos + 1];
        if (m == 0xFF) {
            ++pos;
            continue;
        }
        if (m == 0xD9) return EndingAt(out, pos + 2);
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > n) break;
        const std::size_t length = std::size_t(d[pos + 2]) << 8 | d[pos + 3];
        if (length < 2) return EndingAt(out, pos);  // no decoder reads past a broken segment
        if (IsFrameMarker(m)) {
            if (pos + 10 > n) break;
            const std::uint64_t height = Be16(&d[pos + 5]), width = Be16(&d[pos + 7]), components = d[pos + 9];
            // Sampling factors pad each component to whole MCUs of up to 4 x 4 blocks.
            blocks = components * (width / 8 + 5) * (height / 8 + 5);
            progress.At(pos + 2 + length);
        } else if (m == 0xDA) {
            if (progress.Stream() && ++scans > kMaxScans) return EndingAt(out, pos);
            inScan = true;
            scanBytes = 0;
        }
        pos += 2 + length;
    }
    if (inScan) out.dataBytes += scanBytes;
    return out;
}

// ---- PNG

FileLayout PngLayout(std::span<const std::uint8_t> d, Walk walk) {
    FileLayout out;
    const std::size_t n = d.size();
    std::size_t pos = 8;
    Progress progress(walk, pos);
    std::uint64_t allowed = UINT64_MAX, idat = 0;
    while (pos + 8 <= n) {
        if (progress.Stalled(pos)) return EndingAt(out, pos);
        const std::uint32_t length = Be32(&d[pos]);
        const std::uint8_t* type = &d[pos + 4];
        if (length > 0x7FFFFFFFu) return EndingAt(out, pos);  // no PNG chunk is this long
        const std::size_t next = pos + 12 + length;
        if (std::memcmp(type, "IEND", 4) == 0) return EndingAt(out, next);
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13 && pos + 8 + 13 <= n) {
            // The filtered rows the header declares, with room for interlacing's extra filter
            // bytes, deflate's stored blocks and the chunks' own headers.
            const std::uint64_t width = std::min<std::uint32_t>(Be32(&d[pos + 8]), 1u << 16);
            const std::uint64_t height = std::min<std::uint32_t>(Be32(&d[pos + 12]), 1u << 16);
            const std::uint64_t depth = d[pos + 16];
            static constexpr std::uint64_t kChannels[7] = {1, 4, 3, 1, 2, 4, 4};
            const std::uint64_t channels = kChannels[std::min<std::uint8_t>(d[pos + 17], 6)];
            const std::uint64_t raw = height * ((width * channels * depth + 7) / 8 + 3);
            allowed = raw + raw / 8 + kSlackBytes;
            progress.At(next);
        } else if (std::memcmp(type, "IDAT", 4) == 0 && length > 0) {
            out.dataBytes += std::min<std::uint64_t>(length, n - (pos + 8));
            idat += 12 + std::uint64_t(length);
            if (progress.Stream() && idat > allowed) return EndingAt(out, pos);
            progress.At(next);
        }
        if (progress.Stalled(next)) return EndingAt(out, pos);  // a chunk longer than a stall
        pos = next;
    }
    return out;
}

// ---- GIF

FileLayout GifLayout(std::span<const std::uint8_t> d, Walk walk) {
    FileLayout out;
    const std::size_t n = d.size();
    if (n < 13) return out;
    const auto tableBytes = [](std::uint8_t flags) { return (flags & 0x80) ? std::size_t(3) << ((flags & 7) + 1) : 0; };
    std::size_t pos = 13 + tableBytes(d[10]);
    Progress progress(walk, pos);
    while (pos < n) {
        if (progress.Stalled(pos)) return EndingAt(out, pos);
        const std::uint8_t record = d[pos];
        if (record == 0x3B) return EndingAt(out, pos + 1);
        if (record == 0x21) {  // an extension: its label, then sub-blocks up to an empty one
            for (pos += 2; pos < n && d[pos] != 0; pos += 1 + std::size_t(d[pos]))
                if (progress.Stalled(pos)) return EndingAt(out, pos);
            ++pos;
            continue;
        }
        if (record != 0x2C) return EndingAt(out, pos);  // the decoder stops at any other record
        if (pos + 10 > n) break;
        // Only the first image is decoded: the file ends for us after its data. An LZW code of
        // at most 12 bits yields at least one pixel; beyond that, the data paints nothing.
        const std::uint64_t allowed = std::uint64_t(Le16(&d[pos + 5])) * Le16(&d[pos + 7]) * 2 + kSlackBytes;
        pos += 10 + tableBytes(d[pos + 9]) + 1;  // the descriptor, a local colour table, the code size
        for (; pos < n && d[pos] != 0; pos += 1 + std::size_t(d[pos])) {
            out.dataBytes += std::min<std::size_t>(d[pos], n - pos - 1);
            progress.At(pos);
            if (progress.Stream() && out.dataBytes > allowed) return EndingAt(out, pos);
        }
        if (pos >= n) break;
        return EndingAt(out, pos + 1);
    }
    return out;
}

// ---- BMP

FileLayout BmpLayout(std::span<const std::uint8_t> d, Walk walk) {
    FileLayout out;
    const std::size_t n = d.size();
    if (n < 18) return out;
    const std::uint32_t hs = Le32(&d[14]);
    if (hs != 12 && (hs < 16 || hs > 124)) return EndingAt(out, 18);  // the decoder refuses the header
    if (n < 14 + std::size_t(hs)) return out;
    std::uint8_t full[124] = {};
    std::memcpy(full, &d[14], hs);
    const bool core = hs == 12;
    const std::int64_t width = core ? Le16(&full[4]) : std::int32_t(Le32(&full[4]));
    const std::int64_t rawHeight = core ? Le16(&full[6]) : std::int32_t(Le32(&full[8]));
    const std::int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    const std::uint32_t bits = core ? Le16(&full[10]) : Le16(&full[14]);
    const std::uint32_t compression = core ? 0 : Le32(&full[16]);
    const std::uint32_t colorsUsed = core ? 0 : Le32(&full[32]);
    const ImageLimits limits = CurrentImageLimits();
    if (width <= 0 || height <= 0 || width > limits.maxSide || height > limits.maxSide ||
        width * height > limits.maxPixels || bits == 0 || bits > 32)
        return EndingAt(out, 14 + hs);  // the decoder refuses the size

    // Where the pixels start, as the decoder finds it: the file header's offset, or after the
    // colour table when that offset points into the headers.
    const bool os2v2 = !core && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124;
    const bool bitfields = !os2v2 && (compression == 3 || compression == 6);
    const std::size_t tableAt = 14 + hs + (bitfields && hs < 52 ? (compression == 6 ? 16 : 12) : 0);
    std::size_t offset = Le32(&d[10]);
    if (offset < tableAt) {
        std::size_t entries = bits <= 8 ? std::size_t(1) << bits : 0;
        if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
        offset = tableAt + entries * (core ? 3 : 4);
    }
    Progress progress(walk, tableAt + 1024);
    if (progress.Stalled(offset)) return EndingAt(out, tableAt);  // a gap of nothing before the pixels

    const bool rle = (compression == 1 || compression == 2) && !core;
    if (!rle) {
        const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
        out.end = offset + std::size_t(stride * std::uint64_t(height));
        out.dataBytes = std::min(n, out.end) - std::min(n, offset);
        return out;
    }
    // RLE codes, walked as the decoder walks them: progress is a pixel landing inside the image or
    // a move to a lower row; the pixels end at the end-of-bitmap code or below the last row.
    const bool rle4 = compression == 2;
    std::int64_t x = 0, row = 0;
    std::size_t p = offset;
    progress.At(p);
    while (row < height) {
        if (progress.Stalled(p)) return EndingAt(out, p);
        if (p + 2 > n) return out;
        const unsigned count = d[p], value = d[p + 1];
        p += 2;
        if (count > 0) {
            if (x < width) progress.At(p);
            x += count;
        } else if (value == 0) {
            x = 0;
            ++row;
            progress.At(p);
        } else if (value == 1) {
            return EndingAt(out, p);
        } else if (value == 2) {
            if (p + 2 > n) return out;
            x += d[p];
            row += d[p + 1];
            p += 2;
            if (d[p - 1] > 0) progress.At(p);
        } else {
            const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
            p += bytes + (bytes & 1);
            if (x < width) progress.At(p);
            x += value;
        }
    }
    return EndingAt(out, p);
}

}  // namespace veskel::codec_detail
