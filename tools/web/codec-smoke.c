/* Round-trips a small picture through every C library of the browser build and prints one line
 * per library with a hash of the bytes it produced. Built twice, natively against the desktop's
 * libraries and with emcc against build/web/prefix, the two outputs must be identical: that is
 * what "an exported file is byte-identical to the desktop's" rests on.
 *
 *   tools/web/codec-smoke.sh      (builds both, runs both, compares)
 *
 * Usage: codec-smoke FONT.ttf
 */
#include <setjmp.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <jpeglib.h>
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

enum { W = 37, H = 23 }; /* odd sizes: partial JPEG blocks and PNG rows that do not pack evenly */

static int failures = 0;

static uint32_t fnv1a(const unsigned char *p, size_t n) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

static void report(const char *name, int ok, const unsigned char *bytes, size_t n) {
    printf("%-9s %s %zu bytes %08x\n", name, ok ? "ok  " : "FAIL", n, (unsigned)fnv1a(bytes, n));
    if (!ok) ++failures;
}

/* A growable byte buffer for the encoders' write callbacks. */
typedef struct { unsigned char *data; size_t size, cap, pos; } Buffer;

static void buffer_put(Buffer *b, const void *p, size_t n) {
    if (b->size + n > b->cap) {
        b->cap = (b->size + n) * 2;
        b->data = realloc(b->data, b->cap);
    }
    memcpy(b->data + b->size, p, n);
    b->size += n;
}

static unsigned char rgb[W * H * 3];

static void make_picture(void) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            unsigned char *p = rgb + (y * W + x) * 3;
            p[0] = (unsigned char)(x * 7);
            p[1] = (unsigned char)(y * 11);
            p[2] = (unsigned char)((x ^ y) * 13);
        }
}

static void check_zlib(void) {
    unsigned char packed[W * H * 3 + 1024], back[W * H * 3];
    uLongf packed_size = sizeof packed, back_size = sizeof back;
    int ok = compress2(packed, &packed_size, rgb, sizeof rgb, 9) == Z_OK &&
             uncompress(back, &back_size, packed, packed_size) == Z_OK &&
             back_size == sizeof rgb && memcmp(back, rgb, sizeof rgb) == 0;
    report("zlib", ok, packed, packed_size);
}

static void check_deflate(void) {
    /* Every level: the PNG encoder lets the user pick one. */
    unsigned char packed[W * H * 3 + 1024], back[W * H * 3];
    struct libdeflate_decompressor *d = libdeflate_alloc_decompressor();
    Buffer all = {0};
    int ok = 1;
    for (int level = 0; level <= 12; ++level) {
        struct libdeflate_compressor *c = libdeflate_alloc_compressor(level);
        size_t n = libdeflate_zlib_compress(c, rgb, sizeof rgb, packed, sizeof packed), got = 0;
        ok = ok && n > 0 &&
             libdeflate_zlib_decompress(d, packed, n, back, sizeof back, &got) == LIBDEFLATE_SUCCESS &&
             got == sizeof rgb && memcmp(back, rgb, sizeof rgb) == 0;
        buffer_put(&all, packed, n);
        libdeflate_free_compressor(c);
    }
    report("deflate", ok, all.data, all.size);
    libdeflate_free_decompressor(d);
    free(all.data);
}

static void png_write_to_buffer(png_structp png, png_bytep p, png_size_t n) {
    buffer_put(png_get_io_ptr(png), p, n);
}

static void check_png(void) {
    Buffer out = {0};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        report("png", 0, NULL, 0);
        return;
    }
    png_set_write_fn(png, &out, png_write_to_buffer, NULL);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, W, H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < H; ++y) png_write_row(png, rgb + y * W * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);

    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    unsigned char back[W * H * 3];
    int ok = png_image_begin_read_from_memory(&image, out.data, out.size);
    image.format = PNG_FORMAT_RGB;
    ok = ok && png_image_finish_read(&image, NULL, back, 0, NULL) && image.width == W &&
         image.height == H && memcmp(back, rgb, sizeof rgb) == 0;
    report("png", ok, out.data, out.size);

    /* Bad files are refused through libpng's longjmp, which wasm does in JavaScript. */
    png_image bad;
    memset(&bad, 0, sizeof bad);
    bad.version = PNG_IMAGE_VERSION;
    memset(out.data + out.size / 2, 0x5a, 16);
    int refused = !png_image_begin_read_from_memory(&bad, out.data, out.size);
    if (!refused) {
        bad.format = PNG_FORMAT_RGB;
        refused = !png_image_finish_read(&bad, NULL, back, 0, NULL);
    }
    png_image_free(&bad);
    report("png-bad", refused, (const unsigned char *)"refused", refused ? 7 : 0);
    free(out.data);
}

typedef struct { struct jpeg_error_mgr pub; jmp_buf jump; } JpegErrors;

static void jpeg_fail(j_common_ptr c) { longjmp(((JpegErrors *)c->err)->jump, 1); }

/* A damaged header must come back through the error handler's longjmp, not abort. */
static void check_jpeg_bad(const unsigned char *packed, unsigned long size) {
    unsigned char *copy = malloc(size);
    memcpy(copy, packed, size);
    for (unsigned long i = 2; i + 1 < size; ++i)
        if (copy[i] == 0xFF && copy[i + 1] == 0xC0) copy[i + 5] = copy[i + 6] = 0; /* height 0 */
    struct jpeg_decompress_struct d;
    JpegErrors err;
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpeg_fail;
    int refused = 0;
    jpeg_create_decompress(&d);
    if (setjmp(err.jump)) {
        refused = 1;
    } else {
        jpeg_mem_src(&d, copy, size);
        jpeg_read_header(&d, TRUE);
        jpeg_start_decompress(&d);
    }
    jpeg_destroy_decompress(&d);
    free(copy);
    report("jpeg-bad", refused, (const unsigned char *)"refused", refused ? 7 : 0);
}

static unsigned long encode_jpeg(J_COLOR_SPACE space, int quality, unsigned char **packed) {
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr err;
    unsigned long packed_size = 0;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, packed, &packed_size);
    c.image_width = W;
    c.image_height = H;
    c.input_components = 3;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < H) {
        JSAMPROW row = rgb + c.next_scanline * W * 3;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return packed_size;
}

static void check_jpeg(void) {
    /* The exporter hands the encoder BGR rows; RGB is what the decoder check below reads. */
    static const int qualities[] = {1, 50, 75, 90, 100};
    Buffer all = {0};
    int ok = 1;
    for (size_t q = 0; q < sizeof qualities / sizeof *qualities; ++q) {
        unsigned char *bgr = NULL;
        unsigned long n = encode_jpeg(JCS_EXT_BGR, qualities[q], &bgr);
        ok = ok && n > 0;
        buffer_put(&all, bgr, n);
        free(bgr);
    }
    report("jpeg-enc", ok, all.data, all.size);
    free(all.data);

    struct jpeg_error_mgr err;
    unsigned char *packed = NULL;
    unsigned long packed_size = encode_jpeg(JCS_RGB, 90, &packed);

    /* The decoded pixels are hashed too: the decoder's output must match the desktop's. */
    struct jpeg_decompress_struct d;
    unsigned char back[W * H * 3];
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, packed, packed_size);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    ok = d.output_width == W && d.output_height == H && d.output_components == 3;
    while (ok && d.output_scanline < H) {
        JSAMPROW row = back + d.output_scanline * W * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    /* The pattern's fine chroma detail is lost to subsampling; the average error stays small. */
    long error = 0;
    for (size_t i = 0; ok && i < sizeof back; ++i) error += abs((int)back[i] - (int)rgb[i]);
    report("jpeg-dec", ok && error / (long)sizeof back < 16, back, sizeof back);
    check_jpeg_bad(packed, packed_size);
    free(packed);
}

static int gif_write_to_buffer(GifFileType *gif, const GifByteType *p, int n) {
    buffer_put(gif->UserData, p, (size_t)n);
    return n;
}

static int gif_read_from_buffer(GifFileType *gif, GifByteType *p, int n) {
    Buffer *b = gif->UserData;
    size_t left = b->size - b->pos, take = (size_t)n < left ? (size_t)n : left;
    memcpy(p, b->data + b->pos, take);
    b->pos += take;
    return (int)take;
}

static void check_gif(void) {
    GifColorType colours[16];
    GifByteType indices[W * H];
    for (int i = 0; i < 16; ++i) {
        colours[i].Red = (GifByteType)(i * 17);
        colours[i].Green = (GifByteType)(255 - i * 17);
        colours[i].Blue = (GifByteType)(i * 5);
    }
    for (int i = 0; i < W * H; ++i) indices[i] = (GifByteType)((i / 3 + i % 5) & 15);

    Buffer out = {0};
    int err = 0;
    GifFileType *gif = EGifOpen(&out, gif_write_to_buffer, &err);
    ColorMapObject *map = GifMakeMapObject(16, colours);
    int ok = gif && EGifPutScreenDesc(gif, W, H, 8, 0, map) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, W, H, false, NULL) == GIF_OK;
    for (int y = 0; ok && y < H; ++y) ok = EGifPutLine(gif, indices + y * W, W) == GIF_OK;
    if (gif) EGifCloseFile(gif, &err);
    GifFreeMapObject(map);

    GifFileType *in = DGifOpen(&out, gif_read_from_buffer, &err);
    ok = ok && in && DGifSlurp(in) == GIF_OK && in->ImageCount == 1 && in->SWidth == W &&
         memcmp(in->SavedImages[0].RasterBits, indices, sizeof indices) == 0 &&
         in->SColorMap && in->SColorMap->Colors[5].Red == colours[5].Red;
    if (in) DGifCloseFile(in, &err);
    report("gif", ok, out.data, out.size);
    free(out.data);
}

static void check_freetype(const char *path) {
    FT_Library library;
    FT_Face face;
    Buffer glyphs = {0};
    int ok = FT_Init_FreeType(&library) == 0 && FT_New_Face(library, path, 0, &face) == 0;
    if (!ok) {
        fprintf(stderr, "freetype: cannot open %s\n", path);
        report("freetype", 0, NULL, 0);
        return;
    }
    /* Latin and Cyrillic at a caption's size, hinted, in black and white as the font engine
       draws them (the browser build's FreeType has only the monochrome rasteriser): every
       bitmap is hashed. */
    static const FT_ULong text[] = {'V', 'e', 's', 'k', 'l', 'g', 0x0429, 0x0436, 0x044F};
    static const FT_Render_Mode modes[] = {FT_RENDER_MODE_MONO};
    FT_Set_Pixel_Sizes(face, 0, 11);
    for (size_t m = 0; m < sizeof modes / sizeof *modes; ++m)
        for (size_t i = 0; ok && i < sizeof text / sizeof *text; ++i) {
            ok = FT_Load_Char(face, text[i], FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO | FT_LOAD_NO_AUTOHINT) == 0 &&
                 FT_Render_Glyph(face->glyph, modes[m]) == 0;
            FT_Bitmap *bm = &face->glyph->bitmap;
            int metrics[4] = {(int)bm->width, (int)bm->rows, face->glyph->bitmap_left,
                              (int)face->glyph->advance.x};
            buffer_put(&glyphs, metrics, sizeof metrics);
            for (unsigned r = 0; ok && r < bm->rows; ++r)
                buffer_put(&glyphs, bm->buffer + (long)r * bm->pitch, (size_t)abs(bm->pitch));
        }
    report("freetype", ok && glyphs.size > 0, glyphs.data, glyphs.size);
    free(glyphs.data);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FONT.ttf\n", argv[0]);
        return 2;
    }
    make_picture();
    check_zlib();
    check_deflate();
    check_png();
    check_jpeg();
    check_gif();
    check_freetype(argv[1]);
    return failures ? 1 : 0;
}
