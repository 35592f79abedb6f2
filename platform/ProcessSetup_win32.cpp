#include "platform/ProcessSetup.h"

namespace kelmora {

void prepare_process() {}

} // namespace kelmora
