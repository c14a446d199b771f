#pragma once
// The messages between the program and its plug-in helper process. Shared by
// both sides and free of Qt, so the helper stays small and starts fast.
//
// Every message is a frame: a 32-bit type, a 32-bit payload length, then the
// payload, all little-endian. The program asks, the helper answers; while a
// picture decodes the helper may send progress frames first, each answered by
// the program before the helper goes on. Decoded bitmaps do not travel
// through the channel: the helper writes them into a shared memory file that
// the program handed it at start, and the answer says where they lie.
//
// Everything the helper sends is outside input to the program: read it only
// through WireReader, which never reads past what arrived.
#include "core/limits.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace nubivu::helper {

// Descriptors the helper finds open at start.
inline constexpr int kChannelFd = 3;
inline constexpr int kSharedMemoryFd = 4;

// Largest frame either side accepts.
inline constexpr uint32_t kMaxPayload = uint32_t(MaxHelperFrameBytes);
// Largest attached text (PictureInfo's TextInfo) the program takes.
inline constexpr uint32_t kMaxTextInfo = uint32_t(MaxPluginTextBytes);
// Bytes of the data's head handed to IsSupported.
inline constexpr uint32_t kProbeSize = 2048;

enum class Message : uint32_t {
    // program -> helper
    Load = 1,           // path
    GetPluginInfo = 2,  // i32 number, i32 buffer length
    IsSupported = 3,    // name, probe bytes
    GetPictureInfo = 4, // PictureSource
    GetPicture = 5,     // u8 preview, u8 with progress, PictureSource
    ProgressAnswer = 6, // i32 answer
    // helper -> program
    Loaded = 101,      // u8 ok, u32 entry mask, module path (or the reason when not ok)
    Result = 102,      // i32 result [, text]
    PictureInfo = 103, // i32 result, i32 left, top, width, height, u16 xdpi, ydpi, i16 depth, text
    Picture = 104,     // i32 result, u64 info bytes, u64 pixel bytes (in shared memory)
    Progress = 105,    // i32 done, i32 total
};

// The nine entry points, bit n of the entry mask in this order.
enum class Entry : uint32_t {
    GetPluginInfo,
    ConfigurationDlg,
    IsSupported,
    GetPictureInfo,
    GetPicture,
    GetPreview,
    GetArchiveInfo,
    GetFileInfo,
    GetFile,
};
inline constexpr const char* kEntryNames[] = {"GetPluginInfo",  "ConfigurationDlg", "IsSupported",
                                              "GetPictureInfo", "GetPicture",       "GetPreview",
                                              "GetArchiveInfo", "GetFileInfo",      "GetFile"};
inline constexpr int kEntryCount = 9;

// Where the pixel block starts in shared memory: after the info block, aligned.
inline constexpr uint64_t pixelOffset(uint64_t infoBytes) { return (infoBytes + 63) / 64 * 64; }

struct FrameHeader {
    uint32_t type = 0;
    uint32_t length = 0;
};
inline constexpr size_t kFrameHeaderSize = 8;

class WireWriter {
public:
    explicit WireWriter(Message type) {
        bytes_.resize(kFrameHeaderSize);
        put32(0, uint32_t(type));
    }
    WireWriter& u8(uint8_t v) {
        bytes_.push_back(char(v));
        return *this;
    }
    WireWriter& u16(uint16_t v) { return raw(v); }
    WireWriter& i32(int32_t v) { return raw(uint32_t(v)); }
    WireWriter& u32(uint32_t v) { return raw(v); }
    WireWriter& u64(uint64_t v) { return raw(v); }
    // A length-prefixed run of bytes.
    WireWriter& bytes(std::string_view v) {
        u32(uint32_t(v.size()));
        bytes_.append(v.data(), v.size());
        return *this;
    }
    // The whole frame, its length filled in.
    const std::string& frame() {
        put32(4, uint32_t(bytes_.size() - kFrameHeaderSize));
        return bytes_;
    }

private:
    template <class T> WireWriter& raw(T v) {
        for (size_t i = 0; i < sizeof v; ++i)
            bytes_.push_back(char((uint64_t(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    void put32(size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) bytes_[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    std::string bytes_;
};

inline FrameHeader parseFrameHeader(const unsigned char* p) {
    auto get = [p](size_t at) {
        return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
               uint32_t(p[at + 3]) << 24;
    };
    return {get(0), get(4)};
}

// Reads a payload front to back; any read past its end fails and sticks.
class WireReader {
public:
    WireReader(const char* data, size_t size) : p_(data), left_(size) {}
    explicit WireReader(std::string_view v) : WireReader(v.data(), v.size()) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return ok_ && left_ == 0; }
    uint8_t u8() { return uint8_t(raw<1>()); }
    uint16_t u16() { return uint16_t(raw<2>()); }
    int16_t i16() { return int16_t(raw<2>()); }
    int32_t i32() { return int32_t(uint32_t(raw<4>())); }
    uint32_t u32() { return uint32_t(raw<4>()); }
    uint64_t u64() { return raw<8>(); }
    std::string_view bytes() {
        const uint32_t n = u32();
        if (!ok_ || n > left_) return fail();
        std::string_view v(p_, n);
        p_ += n;
        left_ -= n;
        return v;
    }

private:
    std::string_view fail() {
        ok_ = false;
        left_ = 0;
        return {};
    }
    template <size_t N> uint64_t raw() {
        if (!ok_ || left_ < N) {
            fail();
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < N; ++i) v |= uint64_t(uint8_t(p_[i])) << (8 * i);
        p_ += N;
        left_ -= N;
        return v;
    }
    const char* p_;
    size_t left_;
    bool ok_ = true;
};

// A picture's source as it travels: a file name with the offset, or the
// data itself.
struct PictureSource {
    uint32_t flag = 0;
    int64_t offset = 0;    // file sources
    std::string_view data; // the file name, or the bytes of a memory source
};

inline void putSource(WireWriter& w, const PictureSource& s) {
    w.u32(s.flag).u64(uint64_t(s.offset)).bytes(s.data);
}

inline PictureSource getSource(WireReader& r) {
    PictureSource s;
    s.flag = r.u32();
    s.offset = int64_t(r.u64());
    s.data = r.bytes();
    return s;
}

} // namespace nubivu::helper
