#include "app/Zip.h"

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>

#include "base/AtomicOutput.h"
#include "base/FileIo.h"

namespace tarnwerk {

namespace {

// The archive as libzip sees it: read from the existing file (none for a new archive) and
// written into the output's unnamed scratch file, so libzip never names a temporary file of
// its own and a killed process leaves nothing behind (zip_source_function(3)).
struct ArchiveStreams {
    int readFd = -1;
    int64_t readLength = 0;
    int64_t readPosition = 0;
    int writeFd = -1;
    int64_t writeLength = 0;
    int64_t writePosition = 0;
    bool committed = false;
    zip_error_t error{};
};

zip_int64_t Fail(ArchiveStreams& streams, int zipCode, int systemError) {
    zip_error_set(&streams.error, zipCode, systemError);
    return -1;
}

zip_int64_t ReadOld(ArchiveStreams& streams, void* data, zip_uint64_t length) {
    ssize_t n = 0;
    do {
        n = ::pread(streams.readFd, data, length, streams.readPosition);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(streams, ZIP_ER_READ, errno);
    streams.readPosition += n;
    return n;
}

zip_int64_t WriteNew(ArchiveStreams& streams, const void* data, zip_uint64_t length) {
    const auto* bytes = static_cast<const char*>(data);
    for (zip_uint64_t done = 0; done < length;) {
        const ssize_t n =
            ::pwrite(streams.writeFd, bytes + done, length - done, streams.writePosition + static_cast<int64_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(streams, ZIP_ER_WRITE, errno);
        done += static_cast<zip_uint64_t>(n);
    }
    streams.writePosition += static_cast<int64_t>(length);
    streams.writeLength = std::max(streams.writeLength, streams.writePosition);
    return static_cast<zip_int64_t>(length);
}

// Every write starts from an empty scratch file, also after a rollback.
zip_int64_t StartAfresh(ArchiveStreams& streams) {
    if (::ftruncate(streams.writeFd, 0) != 0) return Fail(streams, ZIP_ER_WRITE, errno);
    streams.writeLength = streams.writePosition = 0;
    streams.committed = false;
    return 0;
}

// A missing archive answers as a missing file does, so libzip starts a new one.
zip_int64_t StatOld(ArchiveStreams& streams, void* data) {
    if (streams.readFd < 0) return Fail(streams, ZIP_ER_READ, ENOENT);
    auto* stat = static_cast<zip_stat_t*>(data);
    zip_stat_init(stat);
    stat->size = static_cast<zip_uint64_t>(streams.readLength);
    stat->valid |= ZIP_STAT_SIZE;
    return sizeof(zip_stat_t);
}

zip_int64_t Seek(int64_t& position, int64_t length, void* data, zip_uint64_t size, zip_error_t* error) {
    const zip_int64_t target = zip_source_seek_compute_offset(static_cast<zip_uint64_t>(position),
                                                              static_cast<zip_uint64_t>(length), data, size, error);
    if (target < 0) return -1;
    position = target;
    return 0;
}

zip_int64_t ArchiveCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& streams = *static_cast<ArchiveStreams*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            streams.readPosition = 0;
            return 0;
        case ZIP_SOURCE_READ:
            return ReadOld(streams, data, length);
        case ZIP_SOURCE_SEEK:
            return Seek(streams.readPosition, streams.readLength, data, length, &streams.error);
        case ZIP_SOURCE_TELL:
            return streams.readPosition;
        case ZIP_SOURCE_STAT:
            return StatOld(streams, data);
        case ZIP_SOURCE_BEGIN_WRITE:
            return StartAfresh(streams);
        case ZIP_SOURCE_WRITE:
            return WriteNew(streams, data, length);
        case ZIP_SOURCE_SEEK_WRITE:
            return Seek(streams.writePosition, streams.writeLength, data, length, &streams.error);
        case ZIP_SOURCE_TELL_WRITE:
            return streams.writePosition;
        case ZIP_SOURCE_COMMIT_WRITE:
            streams.committed = true;
            return 0;
        case ZIP_SOURCE_ROLLBACK_WRITE:
            return StartAfresh(streams);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&streams.error, data, length);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_REMOVE:
            return 0;  // the output simply never gets its name
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                                  ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                                  ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                                  ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, ZIP_SOURCE_SUPPORTS, -1);
        default:
            return Fail(streams, ZIP_ER_OPNOTSUPP, 0);
    }
}

Error ZipError(zip_error_t* error, const std::string& path) {
    // libzip's own texts are English; the system's error number is shown in its place.
    const int number = zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
    Error result = MakeError(ErrorCode::ArchiveFailed, path, number);
    zip_error_fini(error);
    return result;
}

Error ArchiveError(zip_t* archive, const std::string& path) {
    zip_error_t error;
    zip_error_init(&error);
    zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)), zip_error_code_system(zip_get_error(archive)));
    return ZipError(&error, path);
}

constexpr double kProgressPrecision = 0.01;  // report every whole percent

void ReportProgress(zip_t*, double done, void* state) {
    const auto& progress = *static_cast<const std::function<void(int)>*>(state);
    progress(static_cast<int>(done * 100.0));
}

// The existing archive for reading; an empty descriptor when there is none yet.
Result<UniqueFd> OpenOldArchive(const std::string& archivePath, int64_t& length) {
    auto fd = OpenForReading(archivePath);
    if (!fd) {
        if (fd.error().number != ENOENT) return fd.error();
        return UniqueFd();
    }
    auto size = FileLength(fd->get(), archivePath);
    if (!size) return size.error();
    length = *size;
    return fd;
}

// Adds the entry and lets libzip write the whole archive through the streams.
Status WriteArchive(ArchiveStreams& streams, const std::string& archivePath, const std::string& filePath,
                    const std::string& entryName, const std::function<void(int)>& progress) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* streamSource = zip_source_function_create(ArchiveCallback, &streams, &error);
    if (streamSource == nullptr) return ZipError(&error, archivePath);
    zip_t* archive = zip_open_from_source(streamSource, ZIP_CREATE, &error);
    if (archive == nullptr) {
        zip_source_free(streamSource);
        return ZipError(&error, archivePath);
    }
    zip_source_t* entry = zip_source_file_create(filePath.c_str(), 0, -1, &error);
    if (entry == nullptr) {
        zip_discard(archive);
        return ZipError(&error, filePath);
    }
    if (zip_file_add(archive, entryName.c_str(), entry, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(entry);
        const Error failed = ArchiveError(archive, archivePath);
        zip_discard(archive);
        return failed;
    }
    if (progress)
        zip_register_progress_callback_with_state(archive, kProgressPrecision, ReportProgress, nullptr,
                                                  const_cast<std::function<void(int)>*>(&progress));
    if (zip_close(archive) != 0) {
        const Error failed = ArchiveError(archive, archivePath);
        zip_discard(archive);
        return failed;
    }
    zip_error_fini(&error);
    return {};
}

}  // namespace

Status AddFileToZip(const std::string& archivePath, const std::string& filePath, const std::string& entryName,
                    const std::function<void(int)>& progress) {
    Result<AtomicOutput> output = AtomicOutput::Create(archivePath);
    if (!output) return output.error();
    ArchiveStreams streams;
    zip_error_init(&streams.error);
    Result<UniqueFd> old = OpenOldArchive(archivePath, streams.readLength);
    if (!old) return old.error();
    streams.readFd = old->get();
    streams.writeFd = output->content().fd();
    Status written = WriteArchive(streams, archivePath, filePath, entryName, progress);
    zip_error_fini(&streams.error);
    if (!written) return written;
    if (!streams.committed) return MakeError(ErrorCode::ArchiveFailed, archivePath);
    return output->Commit();
}

}  // namespace tarnwerk
