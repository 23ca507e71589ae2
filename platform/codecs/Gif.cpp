// GIF through giflib, read record by record from memory: only the first image is decoded, so a
// long animation costs no more than its first frame. Writing produces one LZW-coded image with a
// full 256-entry global colour table.
#include <gif_lib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/FileLayout.h"
#include "platform/lang/Translate.h"

namespace veskel {

using codec_detail::CheckSize;

namespace {

[[noreturn]] void Fail(const std::string& what) { throw CodecError("GIF: " + Tr(what)); }

std::string DescribeGifError(int code) {
    switch (code) {
        case D_GIF_ERR_READ_FAILED:
        case D_GIF_ERR_EOF_TOO_SOON: return "truncated data";
        case D_GIF_ERR_NOT_GIF_FILE: return "not a GIF file";
        case D_GIF_ERR_NOT_ENOUGH_MEM:
        case E_GIF_ERR_NOT_ENOUGH_MEM: return "out of memory";
    }
    const char* text = GifErrorString(code);
    std::string s = text ? text : "error " + std::to_string(code);
    if (!s.empty()) s[0] = char(std::tolower(static_cast<unsigned char>(s[0])));
    return s;
}

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    bool ranOut;  // a read asked for more than was left
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    if (n <= 0) return 0;
    const std::size_t count = std::min(std::size_t(n), r->size - r->pos);
    if (count < std::size_t(n)) r->ranOut = true;
    std::memcpy(out, r->data + r->pos, count);
    r->pos += count;
    return int(count);
}

struct ReadGuard {
    GifFileType* gif;
    ~ReadGuard() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
};

// Skips the sub-blocks of an extension, remembering the transparent index of a graphic control
// extension (the one that precedes the first image applies to it).
bool ReadExtension(GifFileType* gif, int& transparentIndex) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        transparentIndex = (block[1] & 0x01) ? block[4] : -1;
    while (block) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    }
    return true;
}

}  // namespace

Picture DecodeGif(std::span<const std::uint8_t> data) {
    if (data.size() < 6 || std::memcmp(data.data(), "GIF", 3) != 0) Fail("not a GIF file");
    MemoryReader reader{data.data(), data.size(), 0, false};
    // giflib names the structure it failed to read; running out of data is the clearer reason.
    auto failWith = [&reader](int code) { Fail(reader.ranOut ? "truncated data" : DescribeGifError(code)); };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) failWith(error);
    ReadGuard guard{gif};

    int transparentIndex = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) != GIF_OK) failWith(gif->Error);
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, transparentIndex)) failWith(gif->Error);
            continue;
        }
        if (type == TERMINATE_RECORD_TYPE) Fail("no image");
        if (type != IMAGE_DESC_RECORD_TYPE) Fail("unexpected record");
        break;
    }
    if (DGifGetImageDesc(gif) != GIF_OK) failWith(gif->Error);

    const GifImageDesc& desc = gif->Image;
    const std::int64_t fw = desc.Width, fh = desc.Height;
    CheckSize("GIF", fw, fh);
    // The frame is drawn onto the logical screen and clipped to it. A file whose screen is empty,
    // or whose first frame lies wholly outside it, gets the frame's own area instead.
    std::int64_t width = gif->SWidth, height = gif->SHeight, left = desc.Left, top = desc.Top;
    if (width <= 0 || height <= 0 || left >= width || top >= height) {
        width = fw;
        height = fh;
        left = top = 0;
    }
    CheckSize("GIF", width, height);

    // An LZW code takes at least 3 bits and yields at most 4096 pixels, so a frame far larger than
    // its data could ever describe is cut off; saying so now spares a large allocation. Only the
    // image's own data counts, not what follows it.
    const std::uint64_t frameData = codec_detail::GifLayout(data, codec_detail::Walk::Whole).dataBytes;
    if (std::uint64_t(fw * fh / 11000) > frameData) Fail("truncated data");

    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) Fail("no colour table");
    const int mapSize = std::min(map->ColorCount, 256);

    // The frame's indices, one line after another in the order the file delivers them (an
    // interlaced frame sends its rows in four passes), grown as lines decode. The screen-sized
    // picture is allocated only once the whole frame has decoded.
    const std::size_t frameBytes = std::size_t(fw) * std::size_t(fh);
    std::vector<GifPixelType> indices;
    for (std::int64_t line = 0; line < fh; ++line) {
        const std::size_t at = std::size_t(line) * std::size_t(fw);
        codec_detail::GrowTo(indices, at + std::size_t(fw), frameBytes);
        if (DGifGetLine(gif, indices.data() + at, int(fw)) != GIF_OK) failWith(gif->Error);
    }

    // The screen beyond the frame is only declared: a large screen must be mostly frame.
    codec_detail::CheckPaintedShare("GIF", width, height, std::min(fw, width - left) * std::min(fh, height - top));
    Bitmap bitmap{int(width), int(height)};
    const ColorMapObject* screenMap = gif->SColorMap;
    if (screenMap && screenMap->Colors && gif->SBackGroundColor >= 0 &&
        gif->SBackGroundColor < screenMap->ColorCount) {
        const GifColorType& bg = screenMap->Colors[gif->SBackGroundColor];
        std::uint8_t* first = bitmap.Row(0);
        for (std::int64_t x = 0; x < width; ++x) {
            first[3 * x] = bg.Blue;
            first[3 * x + 1] = bg.Green;
            first[3 * x + 2] = bg.Red;
        }
        for (int y = 1; y < int(height); ++y) std::memcpy(bitmap.Row(y), first, bitmap.RowBytes());
    }

    // The part of each frame row that lands on the picture.
    const std::size_t visible = std::size_t(std::min(fw, width - left));
    auto drawLine = [&](std::int64_t line, int frameRow) {
        if (top + frameRow >= height) return;
        const GifPixelType* src = indices.data() + std::size_t(line) * std::size_t(fw);
        std::uint8_t* dst = bitmap.Row(int(top) + frameRow) + 3 * std::size_t(left);
        for (std::size_t x = 0; x < visible; ++x, dst += 3) {
            const int index = src[x];
            if (index == transparentIndex) continue;  // the background shows through
            if (index >= mapSize) {
                dst[0] = dst[1] = dst[2] = 0;
                continue;
            }
            const GifColorType& c = map->Colors[index];
            dst[0] = c.Blue;
            dst[1] = c.Green;
            dst[2] = c.Red;
        }
    };
    std::int64_t line = 0;
    if (desc.Interlace) {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kStart[pass]; y < int(fh); y += kStep[pass]) drawLine(line++, y);
    } else {
        for (int y = 0; y < int(fh); ++y) drawLine(line++, y);
    }
    return Picture(std::move(bitmap));
}

namespace {

struct MemoryWriter {
    std::vector<std::uint8_t>* out;
};

int WriteToMemory(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* w = static_cast<MemoryWriter*>(gif->UserData);
    try {
        w->out->insert(w->out->end(), bytes, bytes + n);
    } catch (...) {
        return 0;
    }
    return n;
}

struct WriteGuard {
    GifFileType* gif;
    ColorMapObject* map;
    ~WriteGuard() {
        int error = 0;
        if (gif) EGifCloseFile(gif, &error);
        if (map) GifFreeMapObject(map);
    }
};

}  // namespace

std::vector<std::uint8_t> EncodeGif(const IndexedImage& image) {
    if (image.width <= 0 || image.height <= 0) Fail("cannot write an empty image");
    if (image.width > 65535 || image.height > 65535) Fail("image too large to write");
    if (image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        Fail("pixel count does not match the image size");

    std::vector<std::uint8_t> out;
    MemoryWriter writer{&out};
    int error = 0;
    WriteGuard guard{nullptr, nullptr};
    guard.gif = EGifOpen(&writer, WriteToMemory, &error);
    if (!guard.gif) Fail(DescribeGifError(error));

    GifColorType colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = {image.palette[i].r, image.palette[i].g, image.palette[i].b};
    guard.map = GifMakeMapObject(256, colors);
    if (!guard.map) Fail("out of memory");

    GifFileType* gif = guard.gif;
    if (EGifPutScreenDesc(gif, image.width, image.height, 8, 0, guard.map) != GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) != GIF_OK)
        Fail(DescribeGifError(gif->Error));
    // giflib masks the pixels of the line it is given in place, so it gets a copy.
    std::vector<GifPixelType> line(std::size_t(image.width));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* src = image.pixels.data() + std::size_t(y) * std::size_t(image.width);
        std::copy(src, src + image.width, line.begin());
        if (EGifPutLine(gif, line.data(), image.width) != GIF_OK) Fail(DescribeGifError(gif->Error));
    }
    guard.gif = nullptr;
    if (EGifCloseFile(gif, &error) != GIF_OK) Fail(DescribeGifError(error));
    return out;
}

}  // namespace veskel
