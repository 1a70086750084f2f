#include "app/Zip.h"

#include <zip.h>

namespace tarnwerk {

namespace {

Error ZipError(zip_error_t* error, const std::string& path) {
    // libzip's own texts are English; the system's error number is shown in its place.
    const int number = zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
    Error result = MakeError(ErrorCode::ArchiveFailed, path, number);
    zip_error_fini(error);
    return result;
}

constexpr double kProgressPrecision = 0.01;  // report every whole percent

void ReportProgress(zip_t*, double done, void* state) {
    const auto& progress = *static_cast<const std::function<void(int)>*>(state);
    progress(static_cast<int>(done * 100.0));
}

}  // namespace

Status AddFileToZip(const std::string& archivePath, const std::string& filePath, const std::string& entryName,
                    const std::function<void(int)>& progress) {
    zip_error_t error;
    zip_error_init(&error);
    int code = 0;
    zip_t* archive = zip_open(archivePath.c_str(), ZIP_CREATE, &code);
    if (archive == nullptr) {
        zip_error_init_with_code(&error, code);
        return ZipError(&error, archivePath);
    }
    zip_source_t* source = zip_source_file_create(filePath.c_str(), 0, -1, &error);
    if (source == nullptr) {
        zip_discard(archive);
        return ZipError(&error, filePath);
    }
    if (zip_file_add(archive, entryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)),
                      zip_error_code_system(zip_get_error(archive)));
        zip_discard(archive);
        return ZipError(&error, archivePath);
    }
    if (progress) {
        zip_register_progress_callback_with_state(archive, kProgressPrecision, ReportProgress, nullptr,
                                                  const_cast<std::function<void(int)>*>(&progress));
    }
    if (zip_close(archive) != 0) {
        zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)),
                      zip_error_code_system(zip_get_error(archive)));
        zip_discard(archive);
        return ZipError(&error, archivePath);
    }
    zip_error_fini(&error);
    return {};
}

}  // namespace tarnwerk
