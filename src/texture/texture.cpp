#include "texture/texture.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/win32.h"
#include "util/alloc.h"
#include "util/checked.h"
#include "util/error.h"

namespace vantir {

Texture** textureTable = nullptr;
Texture* animatedTextures[ANIMATED_TEXTURE_CAPACITY];
std::int32_t animatedTextureCount = 0;

// The record's leading fields keep the design's order and widths.
static_assert(offsetof(Texture, name) == 4 && sizeof(Texture::name) == 28);
static_assert(offsetof(Texture, refCount) == 32 && offsetof(Texture, heightShiftCopy) == 48);

namespace {

constexpr int PALETTE_CAPACITY = 256;
Rgb555 paletteTable[PALETTE_CAPACITY];

// Fields of the file header and the info header, from the start of the file.
// Every header form from the 40-byte one upwards keeps these places.
constexpr std::size_t BMP_DATA_OFFSET = 10;
constexpr std::size_t BMP_HEADER_SIZE = 14;
constexpr std::size_t BMP_WIDTH = 18;
constexpr std::size_t BMP_HEIGHT = 22;
constexpr std::size_t BMP_BIT_COUNT = 28;
constexpr std::size_t BMP_COMPRESSION = 30;
constexpr std::size_t BMP_PALETTE_COUNT = 46;
constexpr std::size_t BMP_MASKS = 54;  // after a 40-byte header, or inside a larger one
constexpr std::size_t BMP_FILE_HEADER_BYTES = 14;
constexpr std::uint32_t BMP_MIN_HEADER_BYTES = 40;

constexpr int MAX_SIDE_SHIFT = 8;  // sides up to 256

// How the pixel bytes of a file become texels.
enum class PixelFormat {
    Indexed,  // 1, 4 or 8 bits through the palette
    Rle8,
    Rle4,
    Copy16,   // 16-bit values taken as Rgb555 as they are
    Rgb565,   // 16 bits, 5-6-5 masks
    Bgr24,
    Bgrx32,
};

struct BmpLayout {
    int widthShift;
    int heightShift;
    int bitCount;
    PixelFormat format;
    std::size_t paletteOffset;
    int paletteCount;
    std::size_t dataOffset;
    std::size_t stride;  // file row length: padded to a multiple of 4 bytes
};

// log2 of a side of 2..256, or -1 (negative sides included).
int sideShift(std::int32_t side) {
    for (int k = 1; k <= MAX_SIDE_SHIFT; ++k)
        if (side == (1 << k)) return k;
    return -1;
}

bool masksAre(const unsigned char* bytes, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return loadLe32(bytes + BMP_MASKS) == red && loadLe32(bytes + BMP_MASKS + 4) == green &&
           loadLe32(bytes + BMP_MASKS + 8) == blue;
}

constexpr char UNSUPPORTED_FORMAT[] =
    "its bits per pixel and compression are not a form we read (1, 4 or 8 bits indexed or RLE, "
    "16 bits 5-5-5 or 5-6-5, 24 or 32 bits)";

// Reads and checks the header. Null when the file is an image we decode and
// every byte the decoding reads lies inside the file; otherwise the check
// that refused it, in words for the user.
const char* readLayout(const unsigned char* bytes, std::size_t size, BmpLayout* layout) {
    if (!bytes || !rangeInside(size, 0, BMP_FILE_HEADER_BYTES + BMP_MIN_HEADER_BYTES))
        return "too short for the BMP headers (54 bytes)";
    const std::uint32_t headerSize = loadLe32(bytes + BMP_HEADER_SIZE);
    if (headerSize < BMP_MIN_HEADER_BYTES)  // the 12-byte core form keeps other fields
        return "its info header is shorter than 40 bytes (not a BMP file, or an old form)";
    layout->widthShift = sideShift(static_cast<std::int32_t>(loadLe32(bytes + BMP_WIDTH)));
    layout->heightShift = sideShift(static_cast<std::int32_t>(loadLe32(bytes + BMP_HEIGHT)));
    if (layout->widthShift < 0 || layout->heightShift < 0)
        return "its width or height is not a power of two from 2 to 256";

    const int bitCount = loadLe16(bytes + BMP_BIT_COUNT);
    const std::uint32_t compression = loadLe32(bytes + BMP_COMPRESSION);
    layout->bitCount = bitCount;
    layout->paletteOffset = 0;
    layout->paletteCount = 0;
    const bool haveMasks = compression == BI_BITFIELDS && rangeInside(size, BMP_MASKS, 12);
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
            if (compression == BI_RGB)
                layout->format = PixelFormat::Indexed;
            else if (compression == BI_RLE8 && bitCount == 8)
                layout->format = PixelFormat::Rle8;
            else if (compression == BI_RLE4 && bitCount == 4)
                layout->format = PixelFormat::Rle4;
            else
                return UNSUPPORTED_FORMAT;
            break;
        case 16:
            if (compression == BI_RGB || (haveMasks && masksAre(bytes, 0x7c00, 0x03e0, 0x001f)))
                layout->format = PixelFormat::Copy16;
            else if (haveMasks && masksAre(bytes, 0xf800, 0x07e0, 0x001f))
                layout->format = PixelFormat::Rgb565;
            else
                return UNSUPPORTED_FORMAT;
            break;
        case 24:
            if (compression != BI_RGB) return UNSUPPORTED_FORMAT;
            layout->format = PixelFormat::Bgr24;
            break;
        case 32:
            if (compression != BI_RGB && !(haveMasks && masksAre(bytes, 0x00ff0000, 0x0000ff00, 0x000000ff)))
                return UNSUPPORTED_FORMAT;
            layout->format = PixelFormat::Bgrx32;
            break;
        default:
            return UNSUPPORTED_FORMAT;
    }

    if (bitCount <= 8) {
        // The palette follows the info header, whatever its size; 0 entries
        // means a full palette for the depth.
        const std::uint32_t count = loadLe32(bytes + BMP_PALETTE_COUNT);
        if (count > PALETTE_CAPACITY) return "its palette has more than 256 entries";
        layout->paletteCount = count == 0 ? 1 << bitCount : static_cast<int>(count);
        const std::uint64_t paletteOffset = std::uint64_t{BMP_FILE_HEADER_BYTES} + headerSize;
        if (!rangeInside(size, paletteOffset, std::uint64_t{4} * static_cast<std::uint64_t>(layout->paletteCount)))
            return "its palette runs past the end of the file";
        layout->paletteOffset = static_cast<std::size_t>(paletteOffset);
    }

    const std::uint32_t dataOffset = loadLe32(bytes + BMP_DATA_OFFSET);
    if (dataOffset > size) return "its pixel data starts past the end of the file";
    layout->dataOffset = dataOffset;
    const std::uint64_t width = std::uint64_t{1} << layout->widthShift;
    const std::uint64_t height = std::uint64_t{1} << layout->heightShift;
    const std::uint64_t rowBits = width * static_cast<std::uint64_t>(bitCount);  // at most 256 * 32
    layout->stride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    if (layout->format == PixelFormat::Rle8 || layout->format == PixelFormat::Rle4)
        return nullptr;  // the runs end wherever the data ends
    // The top row, last in the file, needs its pixel bytes but not its padding.
    const std::uint64_t rowBytes = (rowBits + 7) / 8;
    if (!rangeInside(size, dataOffset, (height - 1) * layout->stride + rowBytes))
        return "its pixel data runs past the end of the file (truncated)";
    return nullptr;
}

// Run-length data of `length` bytes into a width x height image that already
// holds palette[0] everywhere. Rows go bottom-up from column 0 of the bottom
// row. Indices past a row's end are dropped; the cursor then waits at the row
// end for an end of line. Data that runs out ends the decoding: nothing of
// it is an error, and no byte is read before it is needed.
void decodeRle(const unsigned char* data, std::size_t length, bool fourBit, const BmpLayout& layout,
               const Rgb555* palette, Rgb555* texels) {
    const int width = 1 << layout.widthShift;
    const int height = 1 << layout.heightShift;
    std::size_t pos = 0;
    int x = 0;
    int y = 0;  // file row, 0 = bottom
    auto put = [&](unsigned index) {
        if (x >= width) return;
        texels[(height - 1 - y) * width + x] = palette[index];
        ++x;
    };
    for (;;) {
        if (pos >= length) return;
        const unsigned count = data[pos++];
        if (pos >= length) return;
        const unsigned code = data[pos++];
        if (count > 0) {  // encoded run: `count` copies of one index (RLE4: two alternating nibbles)
            for (unsigned i = 0; i < count && x < width; ++i)
                put(fourBit ? ((i & 1) ? code & 15 : code >> 4) : code);
            continue;
        }
        switch (code) {
            case 0:  // end of line
                x = 0;
                if (++y >= height) return;
                break;
            case 1:  // end of bitmap
                return;
            case 2: {  // delta: right dx, up dy
                if (pos >= length) return;
                const int dx = data[pos++];
                if (pos >= length) return;
                const int dy = data[pos++];
                x = x + dx < width ? x + dx : width;
                y += dy;
                if (y >= height) return;
                break;
            }
            default: {  // absolute run of `code` indices, padded to an even byte count
                const unsigned byteCount = fourBit ? (code + 1) / 2 : code;
                for (unsigned i = 0; i < byteCount; ++i) {
                    if (pos >= length) return;
                    const unsigned byte = data[pos++];
                    if (!fourBit) {
                        put(byte);
                    } else {
                        put(byte >> 4);
                        if (2 * i + 1 < code) put(byte & 15);
                    }
                }
                if ((byteCount & 1) && pos < length) ++pos;
                break;
            }
        }
    }
}

void decodeRows(const unsigned char* bytes, const BmpLayout& layout, const Rgb555* palette, Rgb555* texels) {
    const int width = 1 << layout.widthShift;
    const int height = 1 << layout.heightShift;
    for (int r = 0; r < height; ++r) {
        // Rows are stored bottom-up: the last row of the file is the top one.
        const unsigned char* src = bytes + layout.dataOffset + static_cast<std::size_t>(height - 1 - r) * layout.stride;
        Rgb555* dst = texels + r * width;
        for (int x = 0; x < width; ++x) {
            switch (layout.format) {
                case PixelFormat::Indexed:
                    if (layout.bitCount == 1)
                        dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];  // most significant bit first
                    else if (layout.bitCount == 4)
                        dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];  // high nibble first
                    else
                        dst[x] = palette[src[x]];
                    break;
                case PixelFormat::Copy16:
                    dst[x] = loadLe16(src + 2 * x);
                    break;
                case PixelFormat::Rgb565: {
                    // Keep the top 5 of green's 6 bits: 0xf800 -> 0x7c00, 0x07c0 -> 0x03e0.
                    const unsigned v = loadLe16(src + 2 * x);
                    dst[x] = static_cast<Rgb555>(((v >> 1) & 0x7fe0) | (v & 0x1f));
                    break;
                }
                case PixelFormat::Bgr24:
                    dst[x] = packRgb555(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                    break;
                case PixelFormat::Bgrx32:
                    dst[x] = packRgb555(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
                    break;
                case PixelFormat::Rle8:
                case PixelFormat::Rle4:
                    break;
            }
        }
    }
}

bool nameFits(const char* name) {
    if (!name) return false;
    for (int i = 0; i < TEXTURE_NAME_BYTES; ++i)
        if (name[i] == '\0') return true;
    return false;
}

// Fills the record of slot id for an image of the given shifts and allocates
// its pixel block (the image twice, stacked); null when memory runs out.
Rgb555* prepareRecord(Texture* record, int id, const char* name, int widthShift, int heightShift) {
    lstrcpy(record->name, name);  // fits: checked by nameFits
    record->id = id;
    record->refCount = 1;
    record->widthShift = record->widthShiftCopy = widthShift;
    record->heightShift = record->heightShiftCopy = heightShift;
    record->animCounter = 0;
    // 2 copies x width x height texels x 2 bytes: at most 256 KiB.
    auto* block = static_cast<Rgb555*>(checkedAlloc(std::int32_t{4} << (widthShift + heightShift)));
    record->basePixels = record->currentPixels = block;
    return block;
}

// The second copy of the image, below the first, lets the animation scroll
// by moving the pixel pointer alone.
void doubleImage(Rgb555* block, int widthShift, int heightShift) {
    const std::size_t texelCount = std::size_t{1} << (widthShift + heightShift);
    std::memcpy(block + texelCount, block, texelCount * sizeof(Rgb555));
}

// One English line on stderr for every texture that does not load, beside
// the design's message box (shown for a missing file only): where it was
// looked for and why, for a user left with an untextured model.
void reportLoadFailure(const char* name, const char* reason) {
    if (!name) return;
    std::error_code error;
    const std::filesystem::path where = std::filesystem::absolute(name, error);
    std::fprintf(stderr, "vantir: texture %s not loaded: %s\n", error ? name : where.string().c_str(), reason);
}

// Entries of the animation list in use: the count, within the list's room
// whatever was stored in it.
int animatedEntries() {
    return animatedTextureCount < 0                           ? 0
           : animatedTextureCount > ANIMATED_TEXTURE_CAPACITY ? ANIMATED_TEXTURE_CAPACITY
                                                              : animatedTextureCount;
}

void freeSlot(int id) {
    checkedFree(textureTable[id]);
    textureTable[id] = nullptr;
}

}  // namespace

int initTextures() {
    textureTable = static_cast<Texture**>(checkedAlloc(TEXTURE_SLOT_COUNT * sizeof(Texture*)));
    animatedTextureCount = 0;
    return textureTable ? 0 : -1;
}

void releaseTextures() {
    if (!textureTable) return;
    for (int id = 0; id < TEXTURE_SLOT_COUNT; ++id) releaseTexture(id);
    checkedFree(textureTable);
    textureTable = nullptr;
    animatedTextureCount = 0;
}

int findTexture(const char* name) {
    if (!textureTable || !name) return -1;
    for (int id = 0; id < TEXTURE_SLOT_COUNT; ++id) {
        Texture* texture = textureTable[id];
        if (texture && lstrcmp(texture->name, name) == 0) {
            ++texture->refCount;
            return id;
        }
    }
    return -1;
}

int findFreeTextureSlot() {
    if (!textureTable) return -1;
    for (int id = 0; id < TEXTURE_SLOT_COUNT; ++id)
        if (!textureTable[id]) return id;
    return -1;
}

void releaseTexture(int id) {
    if (!textureTable || id < 0 || id >= TEXTURE_SLOT_COUNT || !textureTable[id]) return;
    removeAnimatedTexture(id);  // an animation entry must not outlive its texture
    checkedFree(textureTable[id]->basePixels);
    freeSlot(id);
}

int addAnimatedTexture(int id) {
    Texture* texture = textureTable && id >= 0 && id < TEXTURE_SLOT_COUNT ? textureTable[id] : nullptr;
    if (!texture) return -1;
    const int count = animatedEntries();
    for (int i = 0; i < count; ++i)
        if (animatedTextures[i] == texture) return i;
    if (count == ANIMATED_TEXTURE_CAPACITY) return -1;
    animatedTextures[count] = texture;
    animatedTextureCount = count + 1;
    return count;
}

int removeAnimatedTexture(int id) {
    const Texture* texture = loadedTexture(id);
    if (!texture) return -1;
    // The others keep their order: the list is advanced front to back.
    const int count = animatedEntries();
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (animatedTextures[i] != texture) animatedTextures[kept++] = animatedTextures[i];
    animatedTextureCount = kept;
    return kept < count ? 0 : -1;
}

const Rgb555* convertPalette(const unsigned char* entries, int count) {
    if (count < 0) count = 0;
    if (count > PALETTE_CAPACITY) count = PALETTE_CAPACITY;
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = entries + 4 * i;  // blue, green, red, unused
        paletteTable[i] = packRgb555(entry[2], entry[1], entry[0]);
    }
    for (int i = count; i < PALETTE_CAPACITY; ++i) paletteTable[i] = 0;
    return paletteTable;
}

unsigned char* readWholeFile(const char* name, std::size_t* sizeRead, int* failureCode) {
    if (sizeRead) *sizeRead = 0;
    if (failureCode) *failureCode = -1;
    if (!name) return nullptr;
    std::FILE* file = std::fopen(name, "rb");
    if (!file) {
        // The line first: the box waits for the user.
        reportLoadFailure(name, errno == ENOENT ? "no such file" : std::strerror(errno));
        showError(MSG_FILE_NOT_FOUND, name);
        if (failureCode) *failureCode = -2;
        return nullptr;
    }
    // Some systems open a directory like a file; it holds no image.
    std::error_code ignored;
    if (std::filesystem::is_directory(name, ignored)) {
        std::fclose(file);
        reportLoadFailure(name, "it is a directory");
        return nullptr;
    }
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    // The block also holds the closing 0 byte and must fit a 32-bit count;
    // anything larger (or a size that cannot be told) is no texture.
    if (end < 0 || end > INT32_MAX - 4 || std::fseek(file, 0, SEEK_SET) != 0) {
        const int reason = errno;
        std::fclose(file);
        reportLoadFailure(name, end > INT32_MAX - 4 ? "larger than 2 GB" : std::strerror(reason));
        return nullptr;
    }
    auto* buffer = static_cast<unsigned char*>(checkedAlloc(static_cast<std::int32_t>(end) + 4));
    if (!buffer) {
        std::fclose(file);
        reportLoadFailure(name, "out of memory");
        return nullptr;
    }
    // A file that shrank since the seek yields fewer bytes: keep what came.
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(end), file);
    const int reason = errno;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        checkedFree(buffer);
        reportLoadFailure(name, std::strerror(reason));
        return nullptr;
    }
    buffer[got] = 0;
    if (sizeRead) *sizeRead = got;
    return buffer;
}

int parseBmpImage(const unsigned char* bytes, std::size_t size, int* widthShift, int* heightShift,
                  Rgb555* texels) {
    BmpLayout layout;
    if (readLayout(bytes, size, &layout)) return -1;
    if (widthShift) *widthShift = layout.widthShift;
    if (heightShift) *heightShift = layout.heightShift;
    if (!texels) return 0;

    const Rgb555* palette = layout.bitCount <= 8 ? convertPalette(bytes + layout.paletteOffset, layout.paletteCount)
                                                 : nullptr;
    if (layout.format == PixelFormat::Rle8 || layout.format == PixelFormat::Rle4) {
        const std::size_t texelCount = std::size_t{1} << (layout.widthShift + layout.heightShift);
        for (std::size_t i = 0; i < texelCount; ++i) texels[i] = palette[0];  // every pixel starts as index 0
        decodeRle(bytes + layout.dataOffset, size - layout.dataOffset, layout.format == PixelFormat::Rle4, layout,
                  palette, texels);
    } else {
        decodeRows(bytes, layout, palette, texels);
    }
    return 0;
}

int loadTexture(const char* name) {
    if (!nameFits(name)) {  // before any file is touched
        reportLoadFailure(name, "its name has 28 bytes or more");
        return -1;
    }
    const int shared = findTexture(name);
    if (shared >= 0) return shared;
    const int id = findFreeTextureSlot();
    if (id < 0) {
        reportLoadFailure(name, "all 128 texture slots are in use");
        return -1;
    }
    auto* record = static_cast<Texture*>(checkedAlloc(sizeof(Texture)));
    if (!record) {
        reportLoadFailure(name, "out of memory");
        return -1;
    }
    textureTable[id] = record;

    std::size_t size = 0;
    int failure = -1;
    unsigned char* data = readWholeFile(name, &size, &failure);  // reports its own failures
    if (!data) {
        freeSlot(id);
        return failure;
    }
    BmpLayout layout;
    const char* refusal = readLayout(data, size, &layout);
    Rgb555* block = nullptr;
    if (refusal || !(block = prepareRecord(record, id, name, layout.widthShift, layout.heightShift))) {
        reportLoadFailure(name, refusal ? refusal : "out of memory");
        freeSlot(id);
        checkedFree(data);
        return -1;
    }
    parseBmpImage(data, size, nullptr, nullptr, block);  // cannot fail: the same checks passed above
    doubleImage(block, layout.widthShift, layout.heightShift);
    checkedFree(data);
    return id;
}

int installTexture(const char* name, int widthShift, int heightShift, const Rgb555* texels) {
    if (!nameFits(name) || !texels || widthShift < 1 || widthShift > MAX_SIDE_SHIFT || heightShift < 1 ||
        heightShift > MAX_SIDE_SHIFT)
        return -1;
    const int id = findFreeTextureSlot();
    if (id < 0) return -1;
    auto* record = static_cast<Texture*>(checkedAlloc(sizeof(Texture)));
    if (!record) return -1;
    textureTable[id] = record;
    Rgb555* block = prepareRecord(record, id, name, widthShift, heightShift);
    if (!block) {
        freeSlot(id);
        return -1;
    }
    std::memcpy(block, texels, (std::size_t{2} << (widthShift + heightShift)));
    doubleImage(block, widthShift, heightShift);
    return id;
}

void animateTextures() {
    for (int i = 0; i < animatedEntries(); ++i) {
        Texture* texture = animatedTextures[i];
        if (!texture) continue;
        // One row further each frame; after 2^heightShift frames back to row 0,
        // the doubled image keeping every frame's rows inside the block.
        if (++texture->animCounter < (1 << texture->heightShift)) {
            texture->currentPixels += std::size_t{1} << texture->widthShift;
        } else {
            texture->animCounter = 0;
            texture->currentPixels = texture->basePixels;
        }
    }
}

}  // namespace vantir
