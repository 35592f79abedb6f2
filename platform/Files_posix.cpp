#include "platform/Files.h"
#include "platform/Path.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace kelmora {

bool rename_over(std::string_view from, std::string_view to) {
    return std::rename(system_path(from).c_str(), system_path(to).c_str()) == 0;
}

bool file_exists(std::string_view path) {
    struct stat st {};
    return stat(system_path(path).c_str(), &st) == 0;
}

bool remove_file(std::string_view path) {
    return std::remove(system_path(path).c_str()) == 0;
}

std::optional<std::int64_t> file_age_ms(std::string_view path) {
    struct stat st {};
    if (stat(system_path(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t age = (static_cast<std::int64_t>(now.tv_sec) - st.st_mtim.tv_sec) * 1000 +
                             (now.tv_nsec - st.st_mtim.tv_nsec) / 1'000'000;
    return age < 0 ? 0 : age;
}

} // namespace kelmora
