// An error that escapes an event handler is shown, and the program runs on:
// the same in every shell.
#pragma once

#include "platform/Cp1250.h"

#include <exception>
#include <string_view>

namespace kelmora {

inline constexpr std::string_view kUnexpectedError = literals::operator""_cp<"Neočekávaná chyba">();

// Runs `handler`; `show` gets the message of whatever it throws.
template <typename Handler, typename Show>
void RunGuarded(Handler&& handler, Show&& show) {
    try {
        handler();
    } catch (const std::exception& error) {
        show(std::string_view(error.what()));
    } catch (...) {
        show(kUnexpectedError);
    }
}

} // namespace kelmora
