// PNG: decoding through libpng, encoding with our own chunk writer over libdeflate (zlib's
// streaming deflate for large pictures). libpng reports
// errors by longjmp, so every call into it happens inside a small function whose frame holds
// nothing but plain data (no destructors to skip); buffers are allocated by the C++ callers before
// and after those functions.
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/FileLayout.h"
#include "platform/lang/Translate.h"

namespace veskel {

using codec_detail::Be32;
using codec_detail::CheckSize;

namespace {

[[noreturn]] void Fail(const std::string& what) { throw CodecError("PNG: " + Tr(what)); }

void CopyMessage(char (&dst)[256], const char* msg) {
    std::strncpy(dst, msg ? msg : "unknown error", sizeof dst - 1);
    dst[sizeof dst - 1] = '\0';
}

// ---------------------------------------------------------------------------------------------- reading

struct PngReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    char message[256] = {};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int channels = 0;  // after the transformations: 3 (BGR) or 4 (BGRA)
    std::size_t rowBytes = 0;
    bool transparent = false;
    bool interlaced = false;
};

void OnReadError(png_structp png, png_const_charp msg) {
    auto* st = static_cast<PngReadState*>(png_get_error_ptr(png));
    CopyMessage(st->message, msg);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, std::size_t n) {
    auto* st = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (n > st->size - st->pos) png_error(png, "truncated data");
    std::memcpy(out, st->data + st->pos, n);
    st->pos += n;
}

// Reads the chunks before the image data and sets up the conversion to 8-bit BGR or BGRA.
bool ReadPngInfo(PngReadState* st) {
    if (setjmp(png_jmpbuf(st->png))) return false;
    png_structp png = st->png;
    png_infop info = st->info;
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &st->width, &st->height, &st->bitDepth, &st->colorType, &interlace, nullptr, nullptr);

    if (st->colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (st->colorType == PNG_COLOR_TYPE_GRAY && st->bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        st->transparent = true;
    }
    if (st->colorType & PNG_COLOR_MASK_ALPHA) st->transparent = true;
    if (st->bitDepth == 16) png_set_scale_16(png);
    if (!(st->colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    // Interlaced images are read pass by pass, each pass a small image of its own, and spread
    // onto the picture here, so no whole-image staging buffer is needed.
    st->interlaced = interlace != PNG_INTERLACE_NONE;
    png_read_update_info(png, info);
    st->channels = png_get_channels(png, info);
    st->rowBytes = png_get_rowbytes(png, info);
    return true;
}

// The next row of the image (of the current pass, for an interlaced one).
bool ReadPngRow(PngReadState* st, png_bytep row) {
    if (setjmp(png_jmpbuf(st->png))) return false;
    png_read_row(st->png, row, nullptr);
    return true;
}

struct ReadStructGuard {
    PngReadState& st;
    ~ReadStructGuard() { png_destroy_read_struct(&st.png, st.info ? &st.info : nullptr, nullptr); }
};

// ---------------------------------------------------------------------------------------------- writing

// The encoder writes the PNG container itself and compresses the image data in one call to
// libdeflate, which is several times faster than zlib's streaming deflate at the same level and
// produces an ordinary zlib stream.

// Compressors are costly to set up (large match-finder tables), so each thread keeps the one it
// used last and reuses it while the level stays the same.
class CompressorCache {
public:
    ~CompressorCache() {
        if (compressor_) libdeflate_free_compressor(compressor_);
    }
    libdeflate_compressor* Get(int level) {
        if (!compressor_ || level_ != level) {
            if (compressor_) libdeflate_free_compressor(compressor_);
            compressor_ = libdeflate_alloc_compressor(level);
            level_ = level;
        }
        return compressor_;
    }

private:
    libdeflate_compressor* compressor_ = nullptr;
    int level_ = -1;
};

void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

void AppendChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    const std::size_t at = out.size();
    out.resize(at + 12 + size);
    std::uint8_t* p = out.data() + at;
    PutBe32(p, std::uint32_t(size));
    std::memcpy(p + 4, type, 4);
    if (size) std::memcpy(p + 8, data, size);
    // The chunk's CRC covers its type and data.
    PutBe32(p + 8 + size, std::uint32_t(libdeflate_crc32(0, p + 4, 4 + size)));
}

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

// Writes one filtered row: the filter type byte, then each byte of `cur` minus its predictor
// (`prev` is the unfiltered row above, all zero for the first row).
static_assert(int(PngFilter::None) == 0 && int(PngFilter::Sub) == 1 && int(PngFilter::Up) == 2 &&
              int(PngFilter::Average) == 3 && int(PngFilter::Paeth) == 4, "PngFilter values are the PNG filter types");

// out[i] = cur[i] - cur[i - step] for i in [from, n); `Step` 0 takes the step at run time. The
// rows never overlap, which lets the compiler run the fixed-step form many bytes at a time.
template <std::size_t Step>
void SubRow(const std::uint8_t* __restrict cur, std::uint8_t* __restrict out, std::size_t from, std::size_t n,
            std::size_t step = Step) {
    if constexpr (Step != 0) step = Step;
    for (std::size_t i = from; i < n; ++i) out[i] = std::uint8_t(cur[i] - cur[i - step]);
}

void FilterRow(PngFilter filter, const std::uint8_t* cur, const std::uint8_t* prev, std::size_t n, int bpp,
               std::uint8_t* out) {
    *out++ = std::uint8_t(filter);
    switch (filter) {
        case PngFilter::None: std::memcpy(out, cur, n); return;
        case PngFilter::Sub: {
            // The first pixel has nothing on its left; the rest is one flat pass, vectorised when
            // the step is known (3 bytes: every picture this program writes is RGB).
            const std::size_t first = std::min(n, std::size_t(bpp));
            std::memcpy(out, cur, first);
            if (bpp == 3)
                SubRow<3>(cur, out, first, n);
            else
                SubRow<0>(cur, out, first, n, std::size_t(bpp));
            return;
        }
        case PngFilter::Up:
            for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(cur[i] - prev[i]);
            return;
        case PngFilter::Average:
            for (std::size_t i = 0; i < n; ++i) {
                const int left = i >= std::size_t(bpp) ? cur[i - bpp] : 0;
                out[i] = std::uint8_t(cur[i] - ((left + prev[i]) >> 1));
            }
            return;
        case PngFilter::Paeth:
            for (std::size_t i = 0; i < n; ++i) {
                const bool hasLeft = i >= std::size_t(bpp);
                out[i] = std::uint8_t(cur[i] - Paeth(hasLeft ? cur[i - bpp] : 0, prev[i], hasLeft ? prev[i - bpp] : 0));
            }
            return;
    }
}

// Up to this much filtered image data is compressed in one libdeflate call (a banner is 21 KB);
// beyond it the one-call buffers would cost more memory than the picture is worth holding twice.
constexpr std::size_t kOneShotLimit = std::size_t(1) << 20;

// zlib's streaming deflate for pictures above that limit; ended on every path.
struct ZStream {
    z_stream s{};
    explicit ZStream(int level) {
        if (deflateInit(&s, level) != Z_OK) Fail("out of memory");
    }
    ~ZStream() { deflateEnd(&s); }
    ZStream(const ZStream&) = delete;
    ZStream& operator=(const ZStream&) = delete;
};

}  // namespace

Picture DecodePng(std::span<const std::uint8_t> data) {
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) Fail("not a PNG file");
    // Judge the size from the header before libpng sees it, so an oversized image gets our message.
    if (data.size() >= 24 && std::memcmp(&data[12], "IHDR", 4) == 0) CheckSize("PNG", Be32(&data[16]), Be32(&data[20]));

    // libpng allocates a text or other chunk whole before reading it, so a chunk before the image
    // data that claims more bytes than the file has would cost up to 2 GB only to be refused as
    // truncated once read: refuse it as such without the allocation.
    for (std::size_t at = 8; at + 8 <= data.size() && std::memcmp(&data[at + 4], "IDAT", 4) != 0;) {
        const std::size_t length = Be32(&data[at]);
        if (length > data.size() - at - 8) Fail("truncated data");
        at += 12 + length;
    }

    PngReadState st;
    st.data = data.data();
    st.size = data.size();
    st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &st, OnReadError, OnWarning);
    if (!st.png) Fail("out of memory");
    ReadStructGuard guard{st};
    st.info = png_create_info_struct(st.png);
    if (!st.info) Fail("out of memory");
    png_set_read_fn(st.png, &st, OnRead);
    const ImageLimits limits = CurrentImageLimits();
    png_set_user_limits(st.png, png_uint_32(limits.maxSide), png_uint_32(limits.maxSide));
    png_set_chunk_cache_max(st.png, 1000);
    png_set_chunk_malloc_max(st.png, 8u << 20);

    if (!ReadPngInfo(&st)) Fail(st.message);
    CheckSize("PNG", st.width, st.height);
    const std::size_t width = st.width, height = st.height;
    const std::size_t channels = std::size_t(st.channels);
    if ((channels != 3 && channels != 4) || st.rowBytes != width * channels) Fail("unsupported pixel layout");

    // Deflate cannot expand data by more than about 1032 : 1, so a file far too short for its
    // image is cut off; saying so now spares a large allocation. Only the image data counts.
    const std::size_t minRowBytes = (width * std::size_t(st.bitDepth) + 7) / 8 + 1;
    if (minRowBytes * height / 1100 > codec_detail::PngLayout(data, codec_detail::Walk::Whole).dataBytes)
        Fail("truncated data");

    // The picture grows as rows decode: a file that stops early costs what it delivered.
    codec_detail::GrowingRows color{int(width), int(height)};
    std::vector<std::uint8_t> alpha;
    std::vector<std::uint8_t> line(st.rowBytes);
    // Copies `count` decoded pixels to row y from column x0 on, every `step` columns.
    auto spread = [&](std::size_t y, std::size_t x0, std::size_t step, std::size_t count) {
        std::uint8_t* dst = color.Row(int(y));
        std::uint8_t* a = nullptr;
        if (channels == 4) {
            codec_detail::GrowTo(alpha, (y + 1) * width, width * height);
            a = alpha.data() + y * width;
        }
        const std::uint8_t* src = line.data();
        for (std::size_t i = 0, x = x0; i < count; ++i, x += step, src += channels) {
            dst[3 * x] = src[0];
            dst[3 * x + 1] = src[1];
            dst[3 * x + 2] = src[2];
            if (a) a[x] = src[3];
        }
    };
    if (!st.interlaced && channels == 3) {
        for (std::size_t y = 0; y < height; ++y)
            if (!ReadPngRow(&st, color.Row(int(y)))) Fail(st.message);
    } else if (!st.interlaced) {
        for (std::size_t y = 0; y < height; ++y) {
            if (!ReadPngRow(&st, line.data())) Fail(st.message);
            spread(y, 0, 1, width);
        }
    } else {
        for (int pass = 0; pass < 7; ++pass) {
            const std::size_t cols = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
            if (cols == 0 || rows == 0) continue;  // libpng skips empty passes too
            for (std::size_t i = 0; i < rows; ++i) {
                if (!ReadPngRow(&st, line.data())) Fail(st.message);
                spread(PNG_PASS_START_ROW(pass) + (i << PNG_PASS_ROW_SHIFT(pass)), PNG_PASS_START_COL(pass),
                       std::size_t(1) << PNG_PASS_COL_SHIFT(pass), cols);
            }
        }
    }

    Picture picture(color.TakeBitmap());
    if (channels == 4) {
        codec_detail::GrowTo(alpha, width * height, width * height);  // rows never reached: transparent
        picture.alpha = std::move(alpha);
    }
    picture.hasTransparency = st.transparent && picture.HasAlpha();
    return picture;
}

namespace {

// The encoder proper: `colour` with `alphaPlane` (one byte a pixel) or without it (nullptr).
std::vector<std::uint8_t> EncodePngPlanes(const Bitmap& colour, const std::vector<std::uint8_t>* alphaPlane,
                                          const PngOptions& options) {
    if (colour.IsEmpty()) Fail("cannot write an empty image");
    const std::size_t width = std::size_t(colour.Width()), height = std::size_t(colour.Height());
    if (alphaPlane && alphaPlane->size() != width * height) Fail("alpha plane does not match the image");
    if (options.compressionLevel < 0 || options.compressionLevel > 9)
        Fail("invalid compression level " + std::to_string(options.compressionLevel));
    if (options.maxIdatBytes < 6 || options.maxIdatBytes > 0x7FFFFFFF)
        Fail("invalid image data chunk size " + std::to_string(options.maxIdatBytes));
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) Fail("image too large");

    const bool alpha = alphaPlane != nullptr;
    const int bpp = alpha ? 4 : 3;
    const std::size_t rowBytes = width * std::size_t(bpp);
    const std::size_t rawSize = height * (rowBytes + 1);

    std::vector<std::uint8_t> out;
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.resize(8);
    std::memcpy(out.data(), kSignature, 8);
    std::uint8_t ihdr[13];
    PutBe32(ihdr, std::uint32_t(width));
    PutBe32(ihdr + 4, std::uint32_t(height));
    ihdr[8] = 8;                  // bits per channel
    ihdr[9] = alpha ? 6 : 2;      // RGBA or RGB
    ihdr[10] = ihdr[11] = 0;      // deflate, adaptive filtering
    ihdr[12] = 0;                 // no interlacing
    AppendChunk(out, "IHDR", ihdr, sizeof ihdr);

    // Hands each row to `take` in RGB(A) order, filtered, behind its filter type byte.
    std::vector<std::uint8_t> rows(2 * rowBytes, 0);  // the current row and the one above
    auto forEachFilteredRow = [&](auto&& take) {
        std::vector<std::uint8_t> filtered(rowBytes + 1);
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* cur = rows.data() + (y & 1) * rowBytes;
            const std::uint8_t* prev = rows.data() + ((y + 1) & 1) * rowBytes;
            const std::uint8_t* src = colour.Row(int(y));
            if (alpha) {
                const std::uint8_t* a = alphaPlane->data() + y * width;
                for (std::size_t x = 0; x < width; ++x) {
                    cur[4 * x] = src[3 * x + 2];
                    cur[4 * x + 1] = src[3 * x + 1];
                    cur[4 * x + 2] = src[3 * x];
                    cur[4 * x + 3] = a[x];
                }
            } else {
                for (std::size_t x = 0; x < width; ++x) {
                    cur[3 * x] = src[3 * x + 2];
                    cur[3 * x + 1] = src[3 * x + 1];
                    cur[3 * x + 2] = src[3 * x];
                }
            }
            take(y, cur, prev);
        }
    };

    if (rawSize <= kOneShotLimit) {
        // Every byte of the filtered data is written below, so it needs no clearing first.
        const std::unique_ptr<std::uint8_t[]> raw(new std::uint8_t[rawSize]);
        forEachFilteredRow([&](std::size_t y, const std::uint8_t* cur, const std::uint8_t* prev) {
            FilterRow(options.filter, cur, prev, rowBytes, bpp, raw.get() + y * (rowBytes + 1));
        });
        thread_local CompressorCache cache;
        libdeflate_compressor* compressor = cache.Get(options.compressionLevel);
        if (!compressor) Fail("out of memory");
        const std::size_t zBound = libdeflate_zlib_compress_bound(compressor, rawSize);
        const std::unique_ptr<std::uint8_t[]> z(new std::uint8_t[zBound]);
        const std::size_t zSize = libdeflate_zlib_compress(compressor, raw.get(), rawSize, z.get(), zBound);
        if (zSize == 0) Fail("compression failed");
        // The header's level field is only informative; announce the level the way zlib does
        // (0 fastest for 0-1, 1 fast for 2-5, 2 default for 6, 3 best for 7-9).
        const int level = options.compressionLevel;
        const int announced = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
        z[1] = std::uint8_t(announced << 6);
        z[1] = std::uint8_t(z[1] + (31 - (z[0] * 256 + z[1]) % 31) % 31);  // check bits
        out.reserve(out.size() + zSize + 12 * ((zSize + options.maxIdatBytes - 1) / options.maxIdatBytes) + 12);
        for (std::size_t at = 0; at < zSize; at += options.maxIdatBytes)
            AppendChunk(out, "IDAT", z.get() + at, std::min(options.maxIdatBytes, zSize - at));
    } else {
        // A large picture (a project's overlay) streams through zlib row by row, so neither its
        // filtered data nor its whole compressed stream is held beside the result.
        ZStream zs(options.compressionLevel);
        std::vector<std::uint8_t> filtered(rowBytes + 1);
        std::vector<std::uint8_t> chunk(options.maxIdatBytes);
        auto pump = [&](int flush) {
            do {
                zs.s.next_out = chunk.data() + (chunk.size() - zs.s.avail_out);
                const int rc = deflate(&zs.s, flush);
                if (rc == Z_STREAM_ERROR) Fail("compression failed");
                if (zs.s.avail_out == 0) {
                    AppendChunk(out, "IDAT", chunk.data(), chunk.size());
                    zs.s.avail_out = uInt(chunk.size());
                }
                if (rc == Z_STREAM_END) return;
            } while (zs.s.avail_in > 0 || flush == Z_FINISH);
        };
        zs.s.avail_out = uInt(chunk.size());
        forEachFilteredRow([&](std::size_t, const std::uint8_t* cur, const std::uint8_t* prev) {
            FilterRow(options.filter, cur, prev, rowBytes, bpp, filtered.data());
            zs.s.next_in = filtered.data();
            zs.s.avail_in = uInt(filtered.size());
            pump(Z_NO_FLUSH);
        });
        pump(Z_FINISH);
        const std::size_t rest = chunk.size() - zs.s.avail_out;
        if (rest > 0) AppendChunk(out, "IDAT", chunk.data(), rest);
    }
    AppendChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Picture& picture, const PngOptions& options) {
    return EncodePngPlanes(picture.color, picture.HasAlpha() ? &picture.alpha : nullptr, options);
}

std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap, const PngOptions& options) {
    return EncodePngPlanes(bitmap, nullptr, options);
}

}  // namespace veskel
