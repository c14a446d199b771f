#include "requestloop.h"

#include <algorithm>
#include <vector>

namespace nubivu::helper
{

namespace
{
// The plug-in's progress callback has no room for the loop (its data argument
// stays 0, as the plug-in may look at it), so it finds the loop here. One loop
// runs in a helper.
RequestLoop *running = nullptr;
} // namespace

void RequestLoop::run()
{
    running = this;
    std::string payload;
    for (;;) {
        const Message type = readFrame(payload);
        WireReader r(payload);
        switch (type) {
        case Message::Load:
            load(r);
            break;
        case Message::GetPluginInfo:
            getPluginInfo(r);
            break;
        case Message::IsSupported:
            isSupported(r);
            break;
        case Message::GetPictureInfo:
            getPictureInfo(r);
            break;
        case Message::GetPicture:
            getPicture(r);
            break;
        default:
            platform_.quit();
        }
    }
}

int32_t RequestLoop::relayProgress(int32_t done, int32_t total)
{
    return running->progress(done, total);
}

void RequestLoop::readAll(char *p, size_t size)
{
    while (size > 0) {
        const size_t n = platform_.readSome(p, size);
        if (n == 0)
            platform_.quit(); // the program is gone
        p += n;
        size -= n;
    }
}

Message RequestLoop::readFrame(std::string &payload)
{
    unsigned char head[kFrameHeaderSize];
    readAll(reinterpret_cast<char *>(head), sizeof head);
    const FrameHeader h = parseFrameHeader(head);
    if (h.length > kMaxPayload)
        platform_.quit();
    payload.resize(h.length);
    readAll(payload.data(), payload.size());
    return Message(h.type);
}

void RequestLoop::send(WireWriter &w)
{
    const std::string &bytes = w.frame();
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t n = platform_.writeSome(bytes.data() + done, bytes.size() - done);
        if (n == 0)
            platform_.quit();
        done += n;
    }
}

void RequestLoop::result(int32_t value)
{
    WireWriter w(Message::Result);
    w.i32(value);
    send(w);
}

void RequestLoop::load(WireReader &r)
{
    std::string why;
    WireWriter w(Message::Loaded);
    if (!platform_.load(r.bytes(), why)) {
        w.u8(0).u32(0).bytes(why);
        send(w);
        return;
    }
    uint32_t mask = 0;
    for (int i = 0; i < kEntryCount; ++i) {
        entries_[i] = platform_.entry(kEntryNames[i]);
        if (entries_[i])
            mask |= 1u << i;
    }
    w.u8(1).u32(mask).bytes(platform_.modulePath());
    send(w);
}

void RequestLoop::getPluginInfo(WireReader &r)
{
    const int32_t number = r.i32();
    const int32_t length = r.i32();
    void *fn = entry(Entry::GetPluginInfo);
    if (!fn || length < 0 || length > 4096)
        return result(0);
    // Room for a plug-in that writes one byte past the length it was given.
    std::vector<char> buffer(size_t(length) + 2, 0);
    const int32_t answer = platform_.getPluginInfo(fn, number, buffer.data(), length);
    WireWriter w(Message::Result);
    w.i32(answer).bytes(platform_.pluginText(buffer.data(), length));
    send(w);
}

void RequestLoop::isSupported(WireReader &r)
{
    const std::string_view name = r.bytes();
    std::string probe(r.bytes());
    void *fn = entry(Entry::IsSupported);
    if (!fn)
        return result(0);
    probe.resize(std::max<size_t>(probe.size(), kProbeSize), '\0');
    result(platform_.isSupported(fn, name, probe.data()));
}

void RequestLoop::getPictureInfo(WireReader &r)
{
    const CallSource source = platform_.callSource(getSource(r));
    void *fn = entry(Entry::GetPictureInfo);
    PictureFacts info;
    const int32_t answer = !fn          ? kNoFunction
                           : !source.ok ? kOtherError
                                        : platform_.getPictureInfo(fn, source, info);
    std::string_view text;
    if (const size_t size = platform_.localSize(info.text); size > 0 && size <= kMaxTextInfo)
        text = std::string_view(static_cast<const char *>(platform_.localLock(info.text)), size);
    WireWriter w(Message::PictureInfo);
    w.i32(answer).i32(info.left).i32(info.top).i32(info.width).i32(info.height);
    w.u16(info.xDensity).u16(info.yDensity).u16(uint16_t(info.colorDepth)).bytes(text);
    send(w);
    if (!text.empty())
        platform_.localUnlock(info.text);
    platform_.localFree(info.text);
}

int32_t RequestLoop::progress(int32_t done, int32_t total)
{
    WireWriter w(Message::Progress);
    w.i32(done).i32(total);
    send(w);
    std::string payload;
    if (readFrame(payload) != Message::ProgressAnswer)
        platform_.quit();
    WireReader r(payload);
    const int32_t answer = r.i32();
    return r.ok() ? answer : 1;
}

void RequestLoop::getPicture(WireReader &r)
{
    const bool preview = r.u8() != 0;
    const bool withProgress = r.u8() != 0;
    const CallSource source = platform_.callSource(getSource(r));
    void *fn = entry(preview ? Entry::GetPreview : Entry::GetPicture);
    MemoryHandle info = nullptr;
    MemoryHandle bits = nullptr;
    const int32_t answer = !fn ? kNoFunction
                           : !source.ok
                               ? kOtherError
                               : platform_.getPicture(fn, source, withProgress, info, bits);
    uint64_t infoBytes = 0;
    uint64_t bitsBytes = 0;
    if (answer == kAllRight) {
        // A handle not from the plug-in's allocator has no size: nothing is
        // handed on, and the program refuses the picture as it would in
        // process.
        infoBytes = platform_.localSize(info);
        bitsBytes = platform_.localSize(bits);
        const uint64_t pixelsAt = pixelOffset(infoBytes);
        bool ok = infoBytes > 0 && bitsBytes > 0 && platform_.resizeShared(pixelsAt + bitsBytes);
        if (ok) {
            ok = platform_.writeShared(platform_.localLock(info), size_t(infoBytes), 0) &&
                 platform_.writeShared(platform_.localLock(bits), size_t(bitsBytes), pixelsAt);
            platform_.localUnlock(info);
            platform_.localUnlock(bits);
        }
        if (!ok)
            infoBytes = bitsBytes = 0;
        platform_.localFree(info);
        platform_.localFree(bits);
    }
    WireWriter w(Message::Picture);
    w.i32(answer).u64(infoBytes).u64(bitsBytes);
    send(w);
}

} // namespace nubivu::helper
