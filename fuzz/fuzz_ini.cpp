// Arbitrary bytes as a configuration file: reading them, loading the values
// in force and writing a key back must neither crash nor read out of bounds,
// and a key written into the text must read back as written.
#include "engine/Configuration.h"
#include "engine/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace kelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const IniText ini(text);

    const Configuration c = ConfigurationFromIni(ini, "/start");
    if (CfgRecord::FromBytes(c.Record.ToBytes()) != c.Record) {
        std::abort();
    }

    // A key of the system: always storable, and the other sections keep
    // what they held.
    IniText edited = ini;
    const std::string value = "/data/" + std::to_string(size);
    if (!edited.Set(kConfigSection, kKeyDataPath, value) ||
        edited.Get(kConfigSection, kKeyDataPath) != value ||
        edited.Get(kPortsSection, "COM1") != ini.Get(kPortsSection, "COM1")) {
        std::abort();
    }

    // A key named by the input's first bytes: refused, or read back as written.
    const std::string_view name = std::string_view(text).substr(0, 12);
    IniText named = ini;
    if (named.Set(kConfigSection, name, "x")) {
        if (named.Get(kConfigSection, name) != "x") {
            std::abort();
        }
    } else if (named.Content() != ini.Content()) {
        std::abort();
    }
    return 0;
}
