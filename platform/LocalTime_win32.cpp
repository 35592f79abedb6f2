#include "platform/LocalTime.h"

#include <windows.h>

namespace kelmora {

LocalTime local_time_now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond};
}

} // namespace kelmora
