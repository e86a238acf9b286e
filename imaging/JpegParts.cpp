#include "imaging/JpegParts.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

// jpeglib.h expects size_t and FILE to be declared before it.
#include <jpeglib.h>

namespace jpeg_parts {

namespace {

uint32_t Big16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

uint32_t CeilDiv(uint32_t a, uint32_t b) {
    return (a + b - 1) / b;
}

uint64_t CeilDiv64(uint64_t a, uint64_t b) {
    return (a + b - 1) / b;
}

// The library's errors come back here by longjmp; warnings are counted by the library itself.
struct Errors {
    jpeg_error_mgr pub;
    std::jmp_buf recovery;
};

[[noreturn]] void Fail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Errors*>(cinfo->err)->recovery, 1);
}

void Silent(j_common_ptr) {}

// Everything the decoding keeps across the longjmp, owned by the caller.
struct PartState {
    jpeg_decompress_struct cinfo;
    Errors errors;
};

bool Decode(PartState& s, const std::vector<uint8_t>& stream, uint32_t skip, uint8_t* bits, size_t stride,
            uint32_t imageHeight, uint32_t top) {
    jpeg_decompress_struct* cinfo = &s.cinfo;
    cinfo->err = jpeg_std_error(&s.errors.pub);
    s.errors.pub.error_exit = Fail;
    s.errors.pub.output_message = Silent;
    if (setjmp(s.errors.recovery)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
    jpeg_read_header(cinfo, TRUE);
    const bool grey = cinfo->out_color_space == JCS_GRAYSCALE;
    if (!grey) cinfo->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(cinfo);
    const uint32_t width = cinfo->output_width;
    const size_t rowBytes = 3 * static_cast<size_t>(width);
    JSAMPARRAY scratch = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                     static_cast<JDIMENSION>(rowBytes), 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const uint32_t y = cinfo->output_scanline;
        const uint32_t imageRow = top + y;
        if (y < skip || grey || imageRow >= imageHeight) {
            jpeg_read_scanlines(cinfo, scratch, 1);
            if (y < skip || imageRow >= imageHeight) continue;
            uint8_t* row = bits + (imageHeight - 1 - imageRow) * stride;
            for (uint32_t x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = scratch[0][x];
            std::memset(row + rowBytes, 0, stride - rowBytes);
            continue;
        }
        uint8_t* row = bits + (imageHeight - 1 - imageRow) * stride;
        std::memset(row + rowBytes, 0, stride - rowBytes);
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    const bool clean = s.errors.pub.num_warnings == 0;
    jpeg_finish_decompress(cinfo);
    const bool stillClean = clean && s.errors.pub.num_warnings == 0;
    jpeg_destroy_decompress(cinfo);
    return stillClean;
}

}  // namespace

bool Plan::CanStartAt(uint32_t blockRow) const {
    if (blockRow == 0 || blockRow >= CeilDiv(height, blockRowHeight)) return false;
    const uint64_t firstBlock = uint64_t{blockRow} * blocksPerRow;
    return firstBlock % restartInterval == 0 && firstBlock / restartInterval - 1 < restarts.size();
}

std::optional<Plan> PlanOf(const uint8_t* begin, size_t length) {
    if (length < 4 || begin[0] != 0xFF || begin[1] != 0xD8) return std::nullopt;
    Plan plan;
    uint32_t components = 0, maxH = 1, maxV = 1;
    bool frame = false;
    size_t p = 2;
    // The segments up to the scan.
    for (;;) {
        while (p < length && begin[p] == 0xFF && p + 1 < length && begin[p + 1] == 0xFF) ++p;
        if (p + 4 > length || begin[p] != 0xFF) return std::nullopt;
        const uint8_t code = begin[p + 1];
        const uint32_t size = Big16(begin + p + 2);
        if (size < 2 || p + 2 + size > length) return std::nullopt;
        const uint8_t* segment = begin + p + 4;
        if (code == 0xC0 || code == 0xC1) {
            if (frame || size < 8 || segment[0] != 8) return std::nullopt;
            frame = true;
            plan.heightField = p + 5;
            plan.height = Big16(segment + 1);
            plan.width = Big16(segment + 3);
            components = segment[5];
            if (plan.width == 0 || plan.height == 0 || (components != 1 && components != 3) ||
                size != 8 + 3 * components)
                return std::nullopt;
            for (uint32_t c = 0; c < components; ++c) {
                const uint32_t h = segment[7 + 3 * c] >> 4, v = segment[7 + 3 * c] & 15;
                // The chroma at one sample a block; the luma at one, or two across, or two both ways.
                if (c > 0 ? (h != 1 || v != 1) : (h < 1 || h > 2 || v < 1 || v > h)) return std::nullopt;
                if (c == 0) maxH = h, maxV = v;
            }
        } else if ((code >= 0xC2 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) ||
                   code == 0xDC || code == 0xD8 || code == 0xD9 || (code >= 0xD0 && code <= 0xD7)) {
            return std::nullopt;  // another kind of frame, a height given later, or a marker out of place
        } else if (code == 0xDD) {
            if (size != 4) return std::nullopt;
            plan.restartInterval = Big16(segment);
        } else if (code == 0xDA) {
            if (!frame || size < 3 || segment[0] != components) return std::nullopt;
            plan.scanStart = p + 2 + size;
            break;
        }
        p += 2 + size;
    }
    if (plan.restartInterval == 0) return std::nullopt;
    // One grey component is coded block by block; three interleaved in rows of blocks of the luma's size.
    const uint32_t blockWidth = components == 1 ? 8 : 8 * maxH;
    plan.blockRowHeight = components == 1 ? 8 : 8 * maxV;
    plan.blocksPerRow = CeilDiv(plan.width, blockWidth);
    // The entropy-coded data, to the end of the image: only restart markers may stand in it.
    for (size_t q = plan.scanStart;;) {
        const void* found = std::memchr(begin + q, 0xFF, length - q);
        if (!found) return std::nullopt;
        q = static_cast<size_t>(static_cast<const uint8_t*>(found) - begin);
        size_t code = q + 1;
        while (code < length && begin[code] == 0xFF) ++code;
        if (code >= length) return std::nullopt;
        if (begin[code] == 0x00) {
            q = code + 1;
            continue;
        }
        if (begin[code] >= 0xD0 && begin[code] <= 0xD7) {
            plan.restarts.push_back(code - 1);
            q = code + 1;
            continue;
        }
        if (begin[code] != 0xD9) return std::nullopt;
        plan.length = code + 1;
        break;
    }
    const uint64_t blocks = uint64_t{plan.blocksPerRow} * CeilDiv(plan.height, plan.blockRowHeight);
    if (plan.length != length || plan.restarts.size() + 1 != CeilDiv64(blocks, plan.restartInterval))
        return std::nullopt;
    return plan;
}

std::vector<uint8_t> PartStream(const uint8_t* begin, const Plan& plan, uint32_t blockRow) {
    const uint64_t interval = uint64_t{blockRow} * plan.blocksPerRow / plan.restartInterval;
    const size_t data = plan.restarts[interval - 1] + 2;
    std::vector<uint8_t> part(plan.scanStart + (plan.length - data));
    std::memcpy(part.data(), begin, plan.scanStart);
    std::memcpy(part.data() + plan.scanStart, begin + data, plan.length - data);
    const uint32_t height = plan.height - blockRow * plan.blockRowHeight;
    part[plan.heightField] = static_cast<uint8_t>(height >> 8);
    part[plan.heightField + 1] = static_cast<uint8_t>(height);
    // The part's decoder expects its restart markers to count from 0 again.
    for (size_t i = interval; i < plan.restarts.size(); ++i)
        part[plan.restarts[i] - data + plan.scanStart + 1] =
            static_cast<uint8_t>(0xD0 + ((i - interval) & 7));
    return part;
}

bool DecodePart(const uint8_t* begin, const Plan& plan, uint32_t blockRow, uint32_t firstRow, uint8_t* bits,
                size_t stride) {
    const uint32_t top = blockRow * plan.blockRowHeight;
    if (!plan.CanStartAt(blockRow) || firstRow <= top || firstRow > plan.height) return false;
    const std::vector<uint8_t> part = PartStream(begin, plan, blockRow);
    auto state = std::make_unique<PartState>();
    return Decode(*state, part, firstRow - top, bits, stride, plan.height, top);
}

}  // namespace jpeg_parts
