// The message boxes both screenshot tools show, one picture each: the
// questions of a close and of a configuration saved, the warnings of a start
// with no port open and of an empty data path, and the error of a field that
// holds no number. A tool puts its own number before each name.
#pragma once

#include "engine/Console.h"
#include "platform/Cp1250.h"

#include <array>

namespace kelmora::screenshots {

struct SampleMessageBox {
    const char* name;
    MessageBox box;
};

inline const std::array<SampleMessageBox, 5>& SampleMessageBoxes() {
    using namespace kelmora::literals;
    static constexpr std::array<SampleMessageBox, 5> kBoxes = {{
        {"a-zprava-ukonceni",
         {"Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp, "Pozor!",
          MessageIcon::Question, MessageButtons::YesNo}},
        {"b-zprava-restart",
         {"Nastavená konfigurace bude použita až po restartu programu!\n"
          "Provést restart programu ihned?"_cp,
          "Varování"_cp, MessageIcon::Warning, MessageButtons::YesNo}},
        {"c-zprava-port",
         {"Neni otevřen žádný COM port\nje nutno provést konfiguraci portu!"_cp, "Pozor!",
          MessageIcon::Warning, MessageButtons::Ok}},
        {"d-zprava-cesta",
         {"Cesta (PATH) pro souborové operace je prázdná.\n"
          "Soubory by se zapisovaly do kořenového adresáře.\nPřesto uložit?"_cp,
          "Varování"_cp, MessageIcon::Warning, MessageButtons::YesNo}},
        {"e-zprava-chyba",
         {"''abc'' is not a valid integer value", {}, MessageIcon::Error, MessageButtons::Ok}},
    }};
    return kBoxes;
}

} // namespace kelmora::screenshots
