// The configuration pages ("Konfigurace terminálů", "Servisní nastavení")
// and the configuration: filled from the values in force at the start, read
// back as entered for the save. Only the view's values are touched; the
// controls are found by their component names.
#pragma once

#include "engine/Configuration.h"
#include "engine/ConfigurationSave.h"
#include "shell/form/FormView.h"

#include <string>

namespace kelmora::form {

// "Adr" and slot 0 give "Adr1".
std::string SlotControl(std::string_view prefix, int slot);

// Every control of both pages, the fixed line timing (Edit2, Edit3) and the
// build date of page "O programu" (Label26).
void FillConfigurationPages(FormView& view, const Configuration& config);

// What the save stores, as the pages show it now.
EnteredConfiguration ReadConfigurationPages(const FormView& view);

} // namespace kelmora::form
