#include "core/device/TranscriptTransport.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::core {

namespace {

class TranscriptHandle final : public HidHandle {
public:
    TranscriptHandle(std::unique_ptr<HidHandle> inner, std::shared_ptr<TranscriptWriter> writer)
        : m_inner(std::move(inner)), m_writer(std::move(writer)) {}

    bool setFeature(std::span<const std::uint8_t> report) override {
        const bool ok = m_inner->setFeature(report);
        m_writer->write("SET", report, ok);
        return ok;
    }
    bool getFeature(std::span<std::uint8_t> report) override {
        const bool ok = m_inner->getFeature(report);
        m_writer->write("GET", report, ok);
        return ok;
    }
    int readInput(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        const int n = m_inner->readInput(buffer, timeout);
        // Time-outs and a vanished device are no report.
        if (n > 0) {
            m_writer->write("IN", buffer.first(static_cast<std::size_t>(n)), true);
        }
        return n;
    }
    bool deviceGone() const override { return m_inner->deviceGone(); }

private:
    std::unique_ptr<HidHandle> m_inner;
    std::shared_ptr<TranscriptWriter> m_writer;
};

} // namespace

TranscriptWriter::TranscriptWriter(const std::string& path) {
    // The reports carry the whole configuration: private to the user, and never written through a
    // link someone else may have put where the file is expected.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        m_error = std::generic_category().message(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = "not a regular file";
        ::close(fd);
        return;
    }
    m_file = ::fdopen(fd, "a");
    if (!m_file) {
        m_error = std::generic_category().message(errno);
        ::close(fd);
    }
}

TranscriptWriter::~TranscriptWriter() {
    if (m_file) {
        std::fclose(m_file);
    }
}

std::string TranscriptWriter::formatLine(const char* kind, std::span<const std::uint8_t> bytes, bool ok) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = kind;
    line.reserve(line.size() + bytes.size() * 3 + 8);
    for (std::uint8_t b : bytes) {
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 0x0F];
    }
    if (!ok) {
        line += " FAILED";
    }
    return line;
}

void TranscriptWriter::write(const char* kind, std::span<const std::uint8_t> bytes, bool ok) {
    if (!m_file) {
        return;
    }
    std::string line = formatLine(kind, bytes, ok);
    line += '\n';
    std::lock_guard lock(m_mutex);
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

TranscriptTransport::TranscriptTransport(std::unique_ptr<HidTransport> inner,
                                         std::shared_ptr<TranscriptWriter> writer)
    : m_inner(std::move(inner)), m_writer(std::move(writer)) {}

std::vector<HidInterfaceInfo> TranscriptTransport::enumerate() {
    return m_inner->enumerate();
}

std::unique_ptr<HidHandle> TranscriptTransport::open(const std::string& path, HidOpenError* error) {
    auto handle = m_inner->open(path, error);
    if (!handle) {
        return nullptr;
    }
    return std::make_unique<TranscriptHandle>(std::move(handle), m_writer);
}

} // namespace tarvik::core
