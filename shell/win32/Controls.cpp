#include "shell/win32/Controls.h"

#include "shell/form/ControlTable.h"

namespace kelmora::win32 {

namespace {

// Above the IDs of the window's other parts and of the message boxes' buttons.
constexpr int kFirstId = 1000;

} // namespace

int ControlId(std::string_view name) {
    const auto rows = form::ControlTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name == name) {
            return kFirstId + static_cast<int>(i);
        }
    }
    return 0;
}

std::string_view ControlName(int id) {
    const auto rows = form::ControlTable();
    const int index = id - kFirstId;
    return index >= 0 && index < static_cast<int>(rows.size()) ? rows[index].name
                                                               : std::string_view();
}

} // namespace kelmora::win32
