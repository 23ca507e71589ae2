// JPEG through libjpeg(-turbo). The library reports fatal errors through error_exit, which we
// turn into a longjmp back into a small function whose frame holds only plain data; the C++
// callers own the buffers and turn a failed call into a CodecError.
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
#include <jerror.h>
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/FileLayout.h"
#include "platform/lang/Translate.h"

namespace veskel {

using codec_detail::CheckSize;

namespace {

// A hostile progressive file can repeat scans without end, each one a pass over the whole image.
constexpr int kMaxProgressiveScans = 100;
// Working memory for the library's whole-image buffers (progressive coefficients).
constexpr long kMaxJpegWorkMemory = 512L << 20;

[[noreturn]] void Fail(const std::string& what) { throw CodecError("JPEG: " + Tr(what)); }

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
};

[[noreturn]] void FailWith(j_common_ptr cinfo, const char* message) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::strncpy(err->message, message, sizeof err->message - 1);
    err->message[sizeof err->message - 1] = '\0';
    std::longjmp(err->jump, 1);
}

[[noreturn]] void OnErrorExit(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX] = {};
    cinfo->err->format_message(cinfo, text);
    FailWith(cinfo, text);
}

// Warnings (corrupt but decodable data) are not fatal and there is nowhere to print them.
void OnOutputMessage(j_common_ptr) {}

// One warning is fatal: image data that stops at a marker before the image is complete. The
// library would fill the rest with grey, which for a cut-off file is a lie and for a hostile one
// (a huge frame with no data) is a long decode of nothing.
void OnEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    if (cinfo->err->msg_code == JWRN_HIT_MARKER) FailWith(cinfo, "truncated data");
    ++cinfo->err->num_warnings;
}

void InitErrors(JpegErrorManager* err) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = OnErrorExit;
    err->pub.output_message = OnOutputMessage;
    err->pub.emit_message = OnEmitMessage;
    err->message[0] = '\0';
}

// ---------------------------------------------------------------------------------------------- reading

// A progressive file (or one whose components come in separate scans) is held whole as
// coefficients until its rows are put out, one row of blocks after another, each row read once.
// The rows the output has passed are handed back to the system as it goes, so the coefficients
// and the picture growing beside them cost about the larger of the two, not both together. The
// library's memory manager is public and its methods replaceable: the two below wrap its own.
struct CoefficientRows {
    struct Array {
        jvirt_barray_ptr ptr;
        std::size_t rowBytes;
        JDIMENSION maxAccess;
        JDIMENSION released;        // rows below this are given back
        std::uintptr_t lastRowEnd;  // where the last row given back ends
        std::uintptr_t pagesEnd;    // the pages below this, down to the run's first, are given back
    };
    Array arrays[MAX_COMPONENTS];
    int count;
    jvirt_barray_ptr (*request)(j_common_ptr, int, boolean, JDIMENSION, JDIMENSION, JDIMENSION);
    JBLOCKARRAY (*access)(j_common_ptr, jvirt_barray_ptr, JDIMENSION, JDIMENSION, boolean);
};

// What the callbacks reach through client_data.
struct JpegClient {
    bool endSupplied;  // SourceFill has supplied the missing end-of-image marker
    CoefficientRows coefficients;
};

JpegClient& ClientOf(j_common_ptr cinfo) { return *static_cast<JpegClient*>(cinfo->client_data); }

jvirt_barray_ptr RequestBlocks(j_common_ptr cinfo, int pool, boolean preZero, JDIMENSION blocksPerRow,
                               JDIMENSION rows, JDIMENSION maxAccess) {
    CoefficientRows& c = ClientOf(cinfo).coefficients;
    jvirt_barray_ptr ptr = c.request(cinfo, pool, preZero, blocksPerRow, rows, maxAccess);
    if (c.count < MAX_COMPONENTS) c.arrays[c.count++] = {ptr, blocksPerRow * sizeof(JBLOCK), maxAccess, 0, 0, 0};
    return ptr;
}

// Gives back the whole pages of rows [a.released, below) of one array.
void ReleaseRows(j_common_ptr cinfo, CoefficientRows& c, CoefficientRows::Array& a, JDIMENSION below) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    static const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    while (a.released < below) {
        const JDIMENSION n = std::min(a.maxAccess, below - a.released);
        const JBLOCKARRAY rows = c.access(cinfo, a.ptr, a.released, n, FALSE);
        for (JDIMENSION i = 0; i < n; ++i) {
            const auto start = reinterpret_cast<std::uintptr_t>(rows[i]), end = start + a.rowBytes;
            // Only whole pages within the rows: a row that follows the last one given back goes on
            // from the pages given back so far, any other starts at its own first whole page.
            const std::uintptr_t from = start == a.lastRowEnd ? a.pagesEnd : (start + page - 1) / page * page;
            const std::uintptr_t to = end / page * page;
            if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
            a.lastRowEnd = end;
            a.pagesEnd = std::max(from, to);
        }
        a.released += n;
    }
#else
    (void)cinfo, (void)c, (void)a, (void)below;
#endif
}

// The output reads each array from its top down, never again below the first row it asks for.
JBLOCKARRAY AccessBlocks(j_common_ptr cinfo, jvirt_barray_ptr ptr, JDIMENSION start, JDIMENSION count,
                         boolean writable) {
    CoefficientRows& c = ClientOf(cinfo).coefficients;
    const JBLOCKARRAY rows = c.access(cinfo, ptr, start, count, writable);
    if (!writable)
        for (int i = 0; i < c.count; ++i)
            if (c.arrays[i].ptr == ptr) ReleaseRows(cinfo, c, c.arrays[i], start);
    return rows;
}

void SourceInit(j_decompress_ptr) {}
void SourceTerm(j_decompress_ptr) {}

// Whether the data so far describes the whole image: decoding has reached the last row of MCUs
// (a scan cut off earlier would be finished from nothing: grey for Huffman coding, zero data for
// arithmetic coding), and a progressive file has sent every coefficient to full precision.
bool ImageDataComplete(j_decompress_ptr cinfo) {
    if (cinfo->input_scan_number == 0) return false;  // still in the headers
    if (cinfo->input_iMCU_row + 1 < cinfo->total_iMCU_rows) return false;
    if (!cinfo->progressive_mode || !cinfo->coef_bits) return true;
    for (int c = 0; c < cinfo->num_components; ++c)
        for (int k = 0; k < DCTSIZE2; ++k)
            if (cinfo->coef_bits[c][k] != 0) return false;
    return true;
}

// The whole file is in the buffer from the start, so being asked for more means it is cut off,
// unless all that is missing is the end-of-image marker: image data that is complete gets the
// marker supplied once, as the other formats load without their last bytes.
boolean SourceFill(j_decompress_ptr cinfo) {
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    bool& supplied = ClientOf(reinterpret_cast<j_common_ptr>(cinfo)).endSupplied;
    if (supplied || !ImageDataComplete(cinfo)) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "truncated data");
    supplied = true;
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (std::size_t(count) > src->bytes_in_buffer) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "truncated data");
    src->next_input_byte += count;
    src->bytes_in_buffer -= std::size_t(count);
}

void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxProgressiveScans) FailWith(cinfo, "too many progressive scans");
}

struct JpegReadState {
    JpegErrorManager err;
    jpeg_decompress_struct cinfo;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    const std::uint8_t* data;
    std::size_t size;
    bool created;
    JpegClient client;
    bool cmyk;
    bool adobe;  // Adobe's writers store CMYK inverted
};

bool ReadJpegHeader(JpegReadState* st) {
    InitErrors(&st->err);
    st->cinfo.err = &st->err.pub;
    if (setjmp(st->err.jump)) return false;
    jpeg_create_decompress(&st->cinfo);
    st->created = true;
    j_decompress_ptr cinfo = &st->cinfo;
    cinfo->mem->max_memory_to_use = kMaxJpegWorkMemory;

    st->source.init_source = SourceInit;
    st->source.fill_input_buffer = SourceFill;
    st->source.skip_input_data = SourceSkip;
    st->source.resync_to_restart = jpeg_resync_to_restart;
    st->source.term_source = SourceTerm;
    st->source.next_input_byte = st->data;
    st->source.bytes_in_buffer = st->size;
    cinfo->src = &st->source;
    cinfo->client_data = &st->client;
    st->client.coefficients.request = cinfo->mem->request_virt_barray;
    st->client.coefficients.access = cinfo->mem->access_virt_barray;
    cinfo->mem->request_virt_barray = RequestBlocks;
    cinfo->mem->access_virt_barray = AccessBlocks;
    st->progress.progress_monitor = OnProgress;
    cinfo->progress = &st->progress;

    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "no image");
    st->cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    st->adobe = cinfo->saw_Adobe_marker;
    cinfo->out_color_space = st->cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(cinfo);
    return true;
}

bool StartJpegDecompress(JpegReadState* st) {
    if (setjmp(st->err.jump)) return false;
    j_decompress_ptr cinfo = &st->cinfo;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != (st->cmyk ? 4 : 3))
        FailWith(reinterpret_cast<j_common_ptr>(cinfo), "unsupported colour layout");
    return true;
}

// The next rows, a few at a time, so the picture is allocated only as far as the data goes.
bool ReadJpegRows(JpegReadState* st, JSAMPARRAY rows, JDIMENSION count) {
    if (setjmp(st->err.jump)) return false;
    j_decompress_ptr cinfo = &st->cinfo;
    for (JDIMENSION done = 0; done < count;) {
        const JDIMENSION n = jpeg_read_scanlines(cinfo, rows + done, count - done);
        if (n == 0) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "truncated data");
        done += n;
    }
    return true;
}

struct ReadGuard {
    JpegReadState& st;
    ~ReadGuard() {
        if (st.created) jpeg_destroy_decompress(&st.cinfo);
    }
};

// ---------------------------------------------------------------------------------------------- writing

struct JpegWriteState {
    JpegErrorManager err;
    jpeg_compress_struct cinfo;
    unsigned char* buffer;
    unsigned long bufferSize;
    bool created;
};

bool WriteJpegStream(JpegWriteState* st, JSAMPARRAY rows, JDIMENSION width, JDIMENSION height, int quality) {
    InitErrors(&st->err);
    st->cinfo.err = &st->err.pub;
    if (setjmp(st->err.jump)) return false;
    jpeg_create_compress(&st->cinfo);
    st->created = true;
    j_compress_ptr cinfo = &st->cinfo;
    jpeg_mem_dest(cinfo, &st->buffer, &st->bufferSize);
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height)
        jpeg_write_scanlines(cinfo, rows + cinfo->next_scanline, cinfo->image_height - cinfo->next_scanline);
    jpeg_finish_compress(cinfo);
    return true;
}

struct WriteGuard {
    JpegWriteState& st;
    ~WriteGuard() {
        if (st.created) jpeg_destroy_compress(&st.cinfo);
        std::free(st.buffer);
    }
};

}  // namespace

Picture DecodeJpeg(std::span<const std::uint8_t> data) {
    if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) Fail("not a JPEG file");
    JpegReadState st{};
    st.data = data.data();
    st.size = data.size();
    ReadGuard guard{st};
    if (!ReadJpegHeader(&st)) Fail(st.err.message);

    const std::size_t width = st.cinfo.output_width, height = st.cinfo.output_height;
    CheckSize("JPEG", std::int64_t(width), std::int64_t(height));
    // With Huffman coding every block takes at least one bit, in the first scan of a progressive
    // file as in a sequential one, so data far too short for its frame is cut off. Saying so now
    // spares the library's frame-sized buffers (a progressive file's coefficients are allocated
    // up front). Arithmetic coding can spend less than a bit on a block, so it is not judged.
    // Only the scans' entropy-coded data counts: not the tables between scans, nor whatever
    // follows the end marker.
    std::uint64_t blocks = 0;
    for (int c = 0; c < st.cinfo.num_components; ++c)
        blocks += std::uint64_t(st.cinfo.comp_info[c].width_in_blocks) * st.cinfo.comp_info[c].height_in_blocks;
    const std::uint64_t scanBytes = codec_detail::JpegLayout(data, codec_detail::Walk::Whole).dataBytes;
    if (!st.cinfo.arith_code && blocks / 8 > scanBytes) Fail("truncated data");
    // Arithmetic-coded data may stop at any marker (zero data is supplied to the last row), so a few
    // bytes can describe a huge frame. A real picture spends a couple of bits or more on a block:
    // each byte is taken to paint at most four blocks.
    if (st.cinfo.arith_code) {
        const double share = std::min(1.0, double(scanBytes) * 4 / double(std::max<std::uint64_t>(blocks, 1)));
        codec_detail::CheckPaintedShare("JPEG", std::int64_t(width), std::int64_t(height),
                                        std::int64_t(share * double(width) * double(height)));
    }
    if (!StartJpegDecompress(&st)) Fail(st.err.message);

    codec_detail::GrowingRows rows{int(width), int(height)};
    constexpr std::size_t kRowsAtOnce = 16;
    std::vector<std::uint8_t> cmyk(st.cmyk ? width * 4 * kRowsAtOnce : 0);
    JSAMPROW batch[kRowsAtOnce];
    for (std::size_t y = 0; y < height; y += kRowsAtOnce) {
        const std::size_t count = std::min(kRowsAtOnce, height - y);
        rows.Row(int(y + count - 1));  // grows first: the row addresses below stay valid
        for (std::size_t i = 0; i < count; ++i)
            batch[i] = st.cmyk ? cmyk.data() + i * width * 4 : rows.Row(int(y + i));
        if (!ReadJpegRows(&st, batch, JDIMENSION(count))) Fail(st.err.message);
        if (!st.cmyk) continue;
        for (std::size_t i = 0; i < count; ++i) {
            // Without ink profiles: each channel is (1 - ink) x (1 - black). Adobe files store
            // the inks inverted, so there the stored values already are (1 - ink).
            const std::uint8_t* src = batch[i];
            std::uint8_t* dst = rows.Row(int(y + i));
            for (std::size_t x = 0; x < width; ++x) {
                unsigned c = src[4 * x], m = src[4 * x + 1], ye = src[4 * x + 2], k = src[4 * x + 3];
                if (!st.adobe) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                dst[3 * x] = std::uint8_t((ye * k + 127) / 255);
                dst[3 * x + 1] = std::uint8_t((m * k + 127) / 255);
                dst[3 * x + 2] = std::uint8_t((c * k + 127) / 255);
            }
        }
    }
    return Picture(rows.TakeBitmap());
}

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality) {
    if (bitmap.IsEmpty()) Fail("cannot write an empty image");
    if (bitmap.Width() > 65500 || bitmap.Height() > 65500) Fail("image too large to write");
    if (quality < 1 || quality > 100) Fail("invalid quality " + std::to_string(quality));
    std::vector<JSAMPROW> rows(std::size_t(bitmap.Height()));
    // libjpeg only reads the rows; its interface is not const-qualified.
    for (int y = 0; y < bitmap.Height(); ++y) rows[std::size_t(y)] = const_cast<JSAMPROW>(bitmap.Row(y));

    JpegWriteState st{};
    WriteGuard guard{st};
    if (!WriteJpegStream(&st, rows.data(), JDIMENSION(bitmap.Width()), JDIMENSION(bitmap.Height()), quality))
        Fail(st.err.message);
    return std::vector<std::uint8_t>(st.buffer, st.buffer + st.bufferSize);
}

}  // namespace veskel
