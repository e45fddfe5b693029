#pragma once
// Reading a recording's telemetry, whichever camera wrote it: a reader per format,
// and one registry that picks the reader from the file's bytes. Everything that
// reads recordings goes through the registry; nothing else constructs a reader.

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "FileBytes.h"
#include "Sample.h"

namespace telemetry {

struct ReadFailure {
    std::string reason;  // for people: why the recording's telemetry cannot be read
    bool operator==(const ReadFailure&) const = default;
};

// The samples in video order (none for a recording without telemetry), or why not.
using ReadResult = std::variant<std::vector<Sample>, ReadFailure>;

class TelemetryReader {
public:
    virtual ~TelemetryReader() = default;
    // Shown to people, such as in the file table's Camera column.
    virtual std::string_view name() const = 0;
    // Whether the bytes are in this reader's format. Cheap: a few bounded reads.
    virtual bool recognises(const FileBytes& file) const = 0;
    virtual ReadResult read(const std::string& path) const = 0;
};

struct RecordingSamples {
    std::string reader;  // the reader's name; empty when no reader took the file
    ReadResult result;
};

class ReaderRegistry {
public:
    // Every format the program reads, most specific first.
    static const ReaderRegistry& standard();

    // The first reader that recognises the bytes, or null.
    const TelemetryReader* readerFor(const FileBytes& file) const;
    // Opens the file, picks its reader and reads it. A file that cannot be opened
    // fails with the system's reason; one that no reader recognises has no samples.
    RecordingSamples read(const std::string& path) const;

private:
    ReaderRegistry();
    std::vector<std::unique_ptr<TelemetryReader>> readers_;
};

}  // namespace telemetry
