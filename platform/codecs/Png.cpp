// PNG through libpng. libpng reports errors by longjmp, so every call into it happens inside a
// small function whose frame holds nothing but plain data (no destructors to skip); buffers are
// allocated by the C++ callers before and after those functions.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"

namespace veskel {

using codec_detail::Be32;
using codec_detail::CheckSize;

namespace {

[[noreturn]] void Fail(const std::string& what) { throw CodecError("PNG: " + what); }

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

struct PngWriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<std::uint8_t>* out = nullptr;
    char message[256] = {};
};

void OnWriteError(png_structp png, png_const_charp msg) {
    auto* st = static_cast<PngWriteState*>(png_get_error_ptr(png));
    CopyMessage(st->message, msg);
    png_longjmp(png, 1);
}

void OnWrite(png_structp png, png_bytep bytes, std::size_t n) {
    auto* st = static_cast<PngWriteState*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        st->out->insert(st->out->end(), bytes, bytes + n);
    } catch (...) {
        failed = true;
    }
    if (failed) png_error(png, "out of memory");
}

void OnFlush(png_structp) {}

struct PngWriteParams {
    png_uint_32 width;
    png_uint_32 height;
    bool alpha;
    int filterFlag;
    int level;
    std::size_t chunkBytes;
    const Picture* picture;
    png_bytep rgba;  // one row of BGRA, for a picture with an alpha plane
};

// Row y as libpng takes it: the colour row itself, or colour and alpha interleaved into one row,
// so a picture with alpha is never held a second time as a whole.
png_bytep PngRow(const PngWriteParams* p, png_uint_32 y) {
    const std::uint8_t* color = p->picture->color.Row(int(y));
    // libpng only reads the rows; its interface is not const-qualified.
    if (!p->alpha) return const_cast<png_bytep>(color);
    const std::uint8_t* a = p->picture->AlphaRow(int(y));
    for (png_uint_32 x = 0; x < p->width; ++x) {
        p->rgba[4 * x] = color[3 * x];
        p->rgba[4 * x + 1] = color[3 * x + 1];
        p->rgba[4 * x + 2] = color[3 * x + 2];
        p->rgba[4 * x + 3] = a[x];
    }
    return p->rgba;
}

bool WritePngStream(PngWriteState* st, const PngWriteParams* p) {
    if (setjmp(png_jmpbuf(st->png))) return false;
    png_structp png = st->png;
    png_set_write_fn(png, st, OnWrite, OnFlush);
    png_set_IHDR(png, st->info, p->width, p->height, 8, p->alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, p->filterFlag);
    png_set_compression_level(png, p->level);
    // libpng emits an IDAT chunk each time its compression buffer fills, so the buffer size is
    // the largest chunk.
    png_set_compression_buffer_size(png, p->chunkBytes);
    png_write_info(png, st->info);
    png_set_bgr(png);
    for (png_uint_32 y = 0; y < p->height; ++y) png_write_row(png, PngRow(p, y));
    png_write_end(png, nullptr);
    return true;
}

struct WriteStructGuard {
    PngWriteState& st;
    ~WriteStructGuard() { png_destroy_write_struct(&st.png, st.info ? &st.info : nullptr); }
};

int FilterFlag(PngFilter f) {
    switch (f) {
        case PngFilter::None: return PNG_FILTER_NONE;
        case PngFilter::Sub: return PNG_FILTER_SUB;
        case PngFilter::Up: return PNG_FILTER_UP;
        case PngFilter::Average: return PNG_FILTER_AVG;
        case PngFilter::Paeth: return PNG_FILTER_PAETH;
    }
    return PNG_FILTER_SUB;
}

}  // namespace

Picture DecodePng(std::span<const std::uint8_t> data) {
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) Fail("not a PNG file");
    // Judge the size from the header before libpng sees it, so an oversized image gets our message.
    if (data.size() >= 24 && std::memcmp(&data[12], "IHDR", 4) == 0) CheckSize("PNG", Be32(&data[16]), Be32(&data[20]));

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
    // image is cut off; saying so now spares a large allocation.
    const std::size_t minRowBytes = (width * std::size_t(st.bitDepth) + 7) / 8 + 1;
    if (minRowBytes * height / 1100 > data.size()) Fail("truncated data");

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

std::vector<std::uint8_t> EncodePng(const Picture& picture, const PngOptions& options) {
    if (picture.IsEmpty()) Fail("cannot write an empty image");
    const std::size_t width = std::size_t(picture.Width()), height = std::size_t(picture.Height());
    if (picture.HasAlpha() && picture.alpha.size() != width * height) Fail("alpha plane does not match the image");
    if (options.compressionLevel < 0 || options.compressionLevel > 9)
        Fail("invalid compression level " + std::to_string(options.compressionLevel));
    if (options.maxIdatBytes < 6 || options.maxIdatBytes > 0x7FFFFFFF)
        Fail("invalid image data chunk size " + std::to_string(options.maxIdatBytes));

    const bool alpha = picture.HasAlpha();
    std::vector<std::uint8_t> rgba(alpha ? width * 4 : 0);

    std::vector<std::uint8_t> out;
    // Room for a typical result up front; a large one grows as libpng hands over its chunks.
    out.reserve(std::min<std::size_t>(width * height + 1024, std::size_t(4) << 20));
    PngWriteState st;
    st.out = &out;
    st.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &st, OnWriteError, OnWarning);
    if (!st.png) Fail("out of memory");
    WriteStructGuard guard{st};
    st.info = png_create_info_struct(st.png);
    if (!st.info) Fail("out of memory");

    const PngWriteParams params{png_uint_32(width), png_uint_32(height), alpha, FilterFlag(options.filter),
                                options.compressionLevel, options.maxIdatBytes, &picture, rgba.data()};
    if (!WritePngStream(&st, &params)) Fail(st.message);
    return out;
}

}  // namespace veskel
