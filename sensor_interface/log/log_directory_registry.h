#pragma once
// Process-wide bookkeeping of the log folders: which files each holds, how many
// bytes they take and the folder's limit, so that opening a new log file can
// make room by deleting the oldest ones.
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

class LogDirectoryRegistry {
public:
    // Never destroyed, so loggers may still rotate during static destruction.
    static LogDirectoryRegistry& instance();

    // Adds the folder with its limit and the files it already holds (ordered by
    // name, which starts with the time stamp, so oldest first). A folder that
    // is registered already keeps its entry; one that does not exist yet starts
    // empty.
    void registerFolder(const std::filesystem::path& folder, int64_t limitBytes);
    // Records a finished file of a registered folder as its newest.
    void addFile(const std::filesystem::path& folder, const std::filesystem::path& file,
                 int64_t sizeBytes);
    // Deletes up to maxFiles of the oldest files while the folder's total is at
    // or above its limit. Returns how many entries were removed.
    int trim(const std::filesystem::path& folder, int maxFiles);

    int64_t totalBytes(const std::filesystem::path& folder) const;
    std::vector<std::filesystem::path> files(const std::filesystem::path& folder) const;

private:
    struct FileEntry {
        std::filesystem::path path;
        int64_t sizeBytes = 0;
    };
    struct FolderEntry {
        std::vector<FileEntry> files;  // oldest first
        int64_t totalBytes = 0;
        int64_t limitBytes = 0;
    };

    mutable std::mutex mutex_;
    std::map<std::filesystem::path, FolderEntry> folders_;
};
