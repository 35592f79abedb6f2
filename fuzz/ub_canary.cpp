// Not a fuzz target: `make fuzz` runs it on one input before the targets and
// expects it to fail. Built with the targets' flags, it overflows a signed
// integer; a build whose sanitizers report undefined behaviour and carry on
// would let it pass, and then no fuzz run could be trusted to fail on one.
#include <climits>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    volatile int largest = INT_MAX;
    volatile int sum = 0;
    if (size > 0 && data[0] == 'U') {
        sum = largest + static_cast<int>(size);
    }
    (void)sum;
    return 0;
}
