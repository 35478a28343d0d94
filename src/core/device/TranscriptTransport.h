#pragma once
// Writes down every report exchanged with the mouse, real or virtual, one line each:
//   SET 40 05 00 38 0A 00 00 01     a feature report sent
//   GET 41 00 3A C0 00 00 00 00     a feature report fetched (the bytes received)
//   IN 42 00 00 01 00 00 00 00      an input report read
// A failed exchange ends its line with " FAILED" (a failed fetch shows the request). Lines are
// flushed as they are written, so the transcript survives a crash.

#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "core/device/HidTransport.h"

namespace tarvik::core {

class TranscriptWriter {
public:
    // Appends to path, a regular file created readable by the user only; a symbolic link there is
    // not followed (the writer does not open). isOpen() tells whether that worked, error() why not.
    explicit TranscriptWriter(const std::string& path);
    ~TranscriptWriter();
    TranscriptWriter(const TranscriptWriter&) = delete;
    TranscriptWriter& operator=(const TranscriptWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    const std::string& error() const { return m_error; }
    // Called from the user-interface thread and the listener's thread alike.
    void write(const char* kind, std::span<const std::uint8_t> bytes, bool ok);

    static std::string formatLine(const char* kind, std::span<const std::uint8_t> bytes, bool ok);

private:
    std::mutex m_mutex;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

class TranscriptTransport final : public HidTransport {
public:
    TranscriptTransport(std::unique_ptr<HidTransport> inner, std::shared_ptr<TranscriptWriter> writer);

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidHandle> open(const std::string& path, HidOpenError* error = nullptr) override;

    HidTransport& inner() { return *m_inner; }

private:
    std::unique_ptr<HidTransport> m_inner;
    std::shared_ptr<TranscriptWriter> m_writer;
};

} // namespace tarvik::core
