#include "spi/helperlibrary.h"

#include "core/logging.h"
#include "spi/helperprotocol.h"
#include "spi/wine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nubivu {

using namespace helper;

namespace {

qint64 nowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

// --- HelperProcess -------------------------------------------------------

namespace {

// The environment of Wine's helper: a prefix of our own in the user's cache
// folder, no debugger, no crash dialog, no add-on prompts, no menu entries,
// and a Japanese locale so that the ANSI code page is 932.
std::vector<std::string> wineEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (v.starts_with("WINEPREFIX=") || v.starts_with("WINEDLLOVERRIDES=") ||
            v.starts_with("WINEDEBUG=") || v.starts_with("LC_ALL=") || v.starts_with("LANG=") ||
            v.starts_with("DISPLAY="))
            continue;
        env.emplace_back(v);
    }
    env.push_back("WINEPREFIX=" + QFile::encodeName(Wine::prefix()).toStdString());
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d");
    env.push_back("WINEDEBUG=-all");
    env.push_back("LANG=ja_JP.UTF-8");
    env.push_back("LC_ALL=ja_JP.UTF-8");
    return env;
}

// A file in shared memory that both Wine's helper and the program can open by name.
int sharedFile(std::string& path) {
    static int counter = 0;
    const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = std::string(folder) + "/nubivu-spihost-" + std::to_string(getpid()) + "-" +
               std::to_string(++counter);
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
    }
    path.clear();
    return -1;
}

std::string windowsPath(const std::string& posix) {
    std::string path = "Z:" + posix;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

std::unique_ptr<HelperProcess> HelperProcess::start(const HelperCommand& command) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return nullptr;
    std::unique_ptr<HelperProcess> process(new HelperProcess);
    process->channel_ = pair[0];
    process->sharedMemory_ = command.windows() ? sharedFile(process->sharedPath_)
                                               : memfd_create("nubivu-spihost", MFD_CLOEXEC);
    // Out of the way of the numbers they are given in the helper.
    const int childChannel = fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    const int childMemory = fcntl(process->sharedMemory_, F_DUPFD_CLOEXEC, 10);
    ::close(pair[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray program = QFile::encodeName(command.program);
    std::vector<std::string> args{program.toStdString()};
    std::vector<std::string> env;
    if (command.windows()) {
        // Wine's helper talks over its standard input and output.
        posix_spawn_file_actions_adddup2(&actions, childChannel, 0);
        posix_spawn_file_actions_adddup2(&actions, childChannel, 1);
        args.push_back(QFile::encodeName(command.windowsHelper).toStdString());
        args.push_back(windowsPath(process->sharedPath_));
        env = wineEnvironment();
    } else {
        posix_spawn_file_actions_adddup2(&actions, childChannel, kChannelFd);
        posix_spawn_file_actions_adddup2(&actions, childMemory, kSharedMemoryFd);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int failed = process->sharedMemory_ < 0 || childChannel < 0 || childMemory < 0 ||
                       posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(),
                                   command.windows() ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (childChannel >= 0) ::close(childChannel);
    if (childMemory >= 0) ::close(childMemory);
    if (failed) return nullptr;
    process->pid_ = pid;
    return process;
}

std::unique_ptr<HelperProcess> HelperProcess::adopt(int channel, int sharedMemory) {
    std::unique_ptr<HelperProcess> process(new HelperProcess);
    process->channel_ = channel;
    process->sharedMemory_ = sharedMemory;
    return process;
}

HelperProcess::~HelperProcess() {
    closeFd(channel_);
    closeFd(sharedMemory_);
    if (!sharedPath_.empty()) ::unlink(sharedPath_.c_str());
    if (pid_ > 0) {
        // Whatever it is doing, it is of no more use: no waiting for it to finish.
        ::kill(pid_, SIGKILL);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool HelperProcess::send(const std::string& frame, qint64 deadlineMs) {
    size_t done = 0;
    while (done < frame.size()) {
        // A big memory source fills the socket: wait for the helper to read, not forever.
        const ssize_t n =
            ::send(channel_, frame.data() + done, frame.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const qint64 left = deadlineMs - nowMs();
            if (left <= 0) return false;
            pollfd fd{channel_, POLLOUT, 0};
            if (::poll(&fd, 1, int(std::min<qint64>(left, 1 << 30))) < 0 && errno != EINTR)
                return false;
            continue;
        }
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool HelperProcess::readExact(char* p, size_t size, qint64 deadlineMs) {
    while (size > 0) {
        const qint64 left = deadlineMs - nowMs();
        if (left <= 0) return false;
        pollfd fd{channel_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, int(std::min<qint64>(left, 1 << 30)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = ::read(channel_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false; // the helper is gone
        p += n;
        size -= size_t(n);
    }
    return true;
}

std::optional<HelperProcess::Reply> HelperProcess::receive(qint64 deadlineMs) {
    unsigned char head[kFrameHeaderSize];
    if (!readExact(reinterpret_cast<char*>(head), sizeof head, deadlineMs)) return std::nullopt;
    const FrameHeader h = parseFrameHeader(head);
    if (h.length > kMaxPayload) return std::nullopt;
    Reply reply;
    reply.type = h.type;
    reply.payload.resize(h.length);
    if (!readExact(reply.payload.data(), reply.payload.size(), deadlineMs)) return std::nullopt;
    return reply;
}

// --- the bitmap in shared memory ---------------------------------------------

bool takeSharedBitmap(int sharedMemory, uint64_t infoBytes, uint64_t bitsBytes, HLOCAL* bitmapInfo,
                      HLOCAL* bits) {
    if (infoBytes == 0 || bitsBytes == 0 || infoBytes > uint64_t(MaxPluginInfoBytes) ||
        bitsBytes > uint64_t(MaxPluginOutputBytes))
        return false;
    struct stat st {};
    if (fstat(sharedMemory, &st) != 0 || st.st_size < 0) return false;
    const uint64_t pixelsAt = pixelOffset(infoBytes);
    const uint64_t total = uint64_t(st.st_size);
    if (pixelsAt > total || bitsBytes > total - pixelsAt) return false;
    void* mapped =
        mmap(nullptr, size_t(pixelsAt + bitsBytes), PROT_READ, MAP_SHARED, sharedMemory, 0);
    if (mapped == MAP_FAILED) return false;
    // Filled whole right away: no zeroing first.
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE, size_t(infoBytes));
    HLOCAL pixels = LocalAlloc(LMEM_MOVEABLE, size_t(bitsBytes));
    const bool ok = info && pixels;
    if (ok) {
        std::memcpy(LocalLock(info), mapped, size_t(infoBytes));
        std::memcpy(LocalLock(pixels), static_cast<const char*>(mapped) + pixelsAt,
                    size_t(bitsBytes));
        LocalUnlock(info);
        LocalUnlock(pixels);
        *bitmapInfo = info;
        *bits = pixels;
    } else {
        LocalFree(info);
        LocalFree(pixels);
    }
    munmap(mapped, size_t(pixelsAt + bitsBytes));
    return ok;
}

// --- HelperLibrary ---------------------------------------------------------

HelperLibrary::~HelperLibrary() = default;

std::unique_ptr<HelperLibrary> HelperLibrary::open(const HelperCommand& command,
                                                   const QString& path, HelperPolicy policy,
                                                   QString* reason) {
    std::unique_ptr<HelperLibrary> library(new HelperLibrary(command, path, std::move(policy)));
    if (!library->ready(reason)) return nullptr;
    return library;
}

std::unique_ptr<HelperLibrary> HelperLibrary::open(std::unique_ptr<HelperProcess> process,
                                                   const QString& path, HelperPolicy policy,
                                                   QString* reason) {
    std::unique_ptr<HelperLibrary> library(
        new HelperLibrary(HelperCommand{}, path, std::move(policy)));
    library->process_ = std::move(process);
    if (!library->loadInHelper(reason)) return nullptr;
    return library;
}

bool HelperLibrary::ready(QString* reason) {
    if (setAside_) return false;
    if (process_) return true;
    if (command_.program.isEmpty()) return false;
    process_ = HelperProcess::start(command_);
    if (!process_) {
        if (reason) *reason = QStringLiteral("the plug-in helper cannot be started");
        return false;
    }
    return loadInHelper(reason);
}

bool HelperLibrary::loadInHelper(QString* reason) {
    WireWriter w(Message::Load);
    w.bytes(QFile::encodeName(path_).toStdString());
    const std::optional<HelperProcess::Reply> reply =
        call(w.frame(), command_.windows() ? policy_.limits.wineLoadMs : policy_.limits.loadMs);
    if (!reply) {
        if (reason) *reason = QStringLiteral("the plug-in ended its helper while loading");
        return false;
    }
    WireReader r(reply->payload);
    const bool ok = r.u8() != 0;
    const uint32_t mask = r.u32();
    const std::string_view text = r.bytes();
    if (reply->type != uint32_t(Message::Loaded) || !r.atEnd() || !ok) {
        if (reason) *reason = QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
        process_.reset();
        return false;
    }
    entryMask_ = mask;
    modulePath_ =
        text.empty()
            ? QString()
            : QDir::cleanPath(QFile::decodeName(QByteArray(text.data(), qsizetype(text.size()))));
    return true;
}

void HelperLibrary::fail(const char* why) {
    qCInfo(lcPlugins).noquote() << path_ << ": helper call failed:" << why;
    process_.reset();
    ++failures_;
    if (!setAside_ && failures_ >= policy_.limits.failuresToSetAside) {
        setAside_ = true;
        if (policy_.onSetAside) policy_.onSetAside(modulePath_.isEmpty() ? path_ : modulePath_);
    }
}

std::optional<HelperProcess::Reply> HelperLibrary::call(const std::string& frame, qint64 limitMs) {
    const qint64 deadline = nowMs() + limitMs;
    if (!process_->send(frame, deadline)) {
        fail("the helper took nothing in before its time limit");
        return std::nullopt;
    }
    std::optional<HelperProcess::Reply> reply = process_->receive(deadline);
    if (!reply) fail("no answer before the time limit, or the helper ended");
    return reply;
}

void* HelperLibrary::resolve(const char* name) const {
    for (int i = 0; i < kEntryCount; ++i)
        if (std::strcmp(name, kEntryNames[i]) == 0 && (entryMask_ & (1u << i)))
            return const_cast<HelperLibrary*>(this);
    return nullptr;
}

int32_t HelperLibrary::GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) {
    if (!ready() || bufferLength < 0) return 0;
    WireWriter w(Message::GetPluginInfo);
    w.i32(infoNo).i32(bufferLength);
    const auto reply = call(w.frame(), policy_.limits.loadMs);
    if (!reply) return 0;
    WireReader r(reply->payload);
    const int32_t answer = r.i32();
    const std::string_view text = r.bytes();
    if (reply->type != uint32_t(Message::Result) || !r.atEnd()) {
        fail("a broken answer");
        return 0;
    }
    // The buffer has room for bufferLength characters and the NUL.
    const size_t n = std::min(text.size(), size_t(bufferLength));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return answer;
}

int32_t HelperLibrary::IsSupported(const char* name, intptr_t probe) {
    if (!ready()) return 0;
    WireWriter w(Message::IsSupported);
    w.bytes(name ? name : "")
        .bytes(std::string_view(reinterpret_cast<const char*>(probe), kProbeSize));
    const auto reply = call(w.frame(), policy_.limits.loadMs);
    if (!reply) return 0;
    WireReader r(reply->payload);
    const int32_t answer = r.i32();
    if (reply->type != uint32_t(Message::Result) || !r.atEnd()) {
        fail("a broken answer");
        return 0;
    }
    return answer;
}

namespace {

PictureSource sourceOf(const char* source, intptr_t length, uint32_t flag) {
    PictureSource s;
    s.flag = flag;
    if (flag == SPI_SOURCE_MEMORY) {
        s.data = std::string_view(source, size_t(std::max<intptr_t>(length, 0)));
    } else {
        s.offset = length;
        s.data = std::string_view(source);
    }
    return s;
}

// Bytes of the data a decoding call works on, for its time limit.
qint64 sourceSize(const char* source, intptr_t length, uint32_t flag) {
    if (flag == SPI_SOURCE_MEMORY) return length;
    struct stat st {};
    return ::stat(source, &st) == 0 ? qint64(st.st_size) : 0;
}

} // namespace

int32_t HelperLibrary::GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                                      SpiPictureInfo* info) {
    if (!ready()) return SPI_OTHER_ERROR;
    if (flag == SPI_SOURCE_MEMORY && uint64_t(length) > kMaxPayload / 2) return SPI_NO_MEMORY;
    WireWriter w(Message::GetPictureInfo);
    putSource(w, sourceOf(source, length, flag));
    const auto reply = call(w.frame(), policy_.limits.loadMs);
    if (!reply) return SPI_OTHER_ERROR;
    WireReader r(reply->payload);
    SpiPictureInfo got{};
    const int32_t answer = r.i32();
    got.left = r.i32();
    got.top = r.i32();
    got.width = r.i32();
    got.height = r.i32();
    got.x_density = r.u16();
    got.y_density = r.u16();
    got.color_depth = r.i16();
    const std::string_view text = r.bytes();
    if (reply->type != uint32_t(Message::PictureInfo) || !r.atEnd() || text.size() > kMaxTextInfo) {
        fail("a broken answer");
        return SPI_OTHER_ERROR;
    }
    if (!text.empty()) {
        got.text_info = LocalAlloc(LHND, text.size());
        if (got.text_info) {
            std::memcpy(LocalLock(got.text_info), text.data(), text.size());
            LocalUnlock(got.text_info);
        }
    }
    std::memcpy(info, &got, sizeof got);
    return answer;
}

int32_t HelperLibrary::GetPicture(const char* source, intptr_t length, uint32_t flag,
                                  HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                  intptr_t data) {
    return pictureCall(false, source, length, flag, bitmapInfo, bits, progress, data);
}

int32_t HelperLibrary::GetPreview(const char* source, intptr_t length, uint32_t flag,
                                  HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                  intptr_t data) {
    return pictureCall(true, source, length, flag, bitmapInfo, bits, progress, data);
}

int32_t HelperLibrary::pictureCall(bool preview, const char* source, intptr_t length, uint32_t flag,
                                   HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                   intptr_t data) {
    if (!ready()) return SPI_OTHER_ERROR;
    if (flag == SPI_SOURCE_MEMORY && uint64_t(length) > kMaxPayload / 2) return SPI_NO_MEMORY;
    WireWriter w(Message::GetPicture);
    w.u8(preview ? 1 : 0).u8(progress ? 1 : 0);
    putSource(w, sourceOf(source, length, flag));
    const qint64 mib = sourceSize(source, length, flag) >> 20;
    qint64 deadline = nowMs() + policy_.limits.pictureMs + mib * policy_.limits.pictureMsPerMiB;
    if (!process_->send(w.frame(), deadline)) {
        fail("the helper took nothing in before its time limit");
        return SPI_OTHER_ERROR;
    }
    for (;;) {
        std::optional<HelperProcess::Reply> reply = process_->receive(deadline);
        if (!reply) {
            fail("no answer before the time limit, or the helper ended");
            return SPI_OTHER_ERROR;
        }
        WireReader r(reply->payload);
        if (reply->type == uint32_t(Message::Progress) && progress) {
            const int32_t done = r.i32();
            const int32_t total = r.i32();
            if (!r.atEnd()) break;
            // The program's own time in the callback is not the plug-in's.
            const qint64 before = nowMs();
            const int32_t answer = progress(done, total, data);
            deadline += nowMs() - before;
            WireWriter a(Message::ProgressAnswer);
            a.i32(answer);
            if (!process_->send(a.frame(), deadline)) break;
            continue;
        }
        if (reply->type != uint32_t(Message::Picture)) break;
        const int32_t answer = r.i32();
        const uint64_t infoBytes = r.u64();
        const uint64_t bitsBytes = r.u64();
        if (!r.atEnd()) break;
        if (answer != SPI_ALL_RIGHT) return answer;
        // Success without handles we can take: refused like foreign handles in process.
        if (!takeSharedBitmap(process_->sharedMemory(), infoBytes, bitsBytes, bitmapInfo, bits)) {
            qCInfo(lcPlugins).noquote()
                << path_ << ": the bitmap handed back does not fit; refused";
            *bitmapInfo = *bits = nullptr;
        }
        // The shared memory keeps its pages for the next picture, which is
        // most often of the same size: the helper sizes it to each picture.
        return answer;
    }
    fail("a broken answer");
    return SPI_OTHER_ERROR;
}

} // namespace nubivu
