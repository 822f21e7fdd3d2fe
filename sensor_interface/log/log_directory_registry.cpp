#include "sensor_interface/log/log_directory_registry.h"

#include <algorithm>

namespace fs = std::filesystem;

LogDirectoryRegistry& LogDirectoryRegistry::instance() {
    static LogDirectoryRegistry* registry = new LogDirectoryRegistry;
    return *registry;
}

void LogDirectoryRegistry::registerFolder(const fs::path& folder, int64_t limitBytes) {
    if (folder.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (folders_.count(folder) != 0) return;
    FolderEntry& entry = folders_[folder];
    entry.limitBytes = limitBytes;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError;
        if (!it->is_regular_file(fileError)) continue;
        const auto size = it->file_size(fileError);
        if (fileError) continue;
        entry.files.push_back({it->path(), static_cast<int64_t>(size)});
        entry.totalBytes += static_cast<int64_t>(size);
    }
    std::sort(entry.files.begin(), entry.files.end(),
              [](const FileEntry& a, const FileEntry& b) { return a.path < b.path; });
}

void LogDirectoryRegistry::addFile(const fs::path& folder, const fs::path& file, int64_t sizeBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return;
    found->second.files.push_back({file, sizeBytes});
    found->second.totalBytes += sizeBytes;
}

int LogDirectoryRegistry::trim(const fs::path& folder, int maxFiles) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return 0;
    FolderEntry& entry = found->second;
    int removed = 0;
    while (removed < maxFiles && !entry.files.empty() && entry.totalBytes >= entry.limitBytes) {
        const FileEntry oldest = entry.files.front();
        entry.files.erase(entry.files.begin());
        std::error_code ignored;  // a file deleted by hand is simply gone
        fs::remove(oldest.path, ignored);
        entry.totalBytes = oldest.sizeBytes < entry.totalBytes ? entry.totalBytes - oldest.sizeBytes : 0;
        ++removed;
    }
    return removed;
}

int64_t LogDirectoryRegistry::totalBytes(const fs::path& folder) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = folders_.find(folder);
    return found == folders_.end() ? 0 : found->second.totalBytes;
}

std::vector<fs::path> LogDirectoryRegistry::files(const fs::path& folder) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<fs::path> paths;
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return paths;
    for (const FileEntry& file : found->second.files) paths.push_back(file.path);
    return paths;
}
